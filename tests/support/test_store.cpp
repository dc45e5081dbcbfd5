#include "test_store.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>

#include "postgres_connection.h"
#include "server_config.h"
#include "shell_command.h"

namespace dalvero::test {

namespace fs = std::filesystem;

namespace {

// The newest installed server binaries, or those of DALVERO_PG_BIN.
fs::path ServerBinaries() {
    if (const char* bin = std::getenv("DALVERO_PG_BIN")) return bin;
    fs::path newest;
    std::error_code ec;
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", ec))
        if (fs::exists(version.path() / "bin" / "initdb") && version.path() > newest.parent_path())
            newest = version.path() / "bin";
    if (newest.empty()) throw std::runtime_error("no PostgreSQL server binaries under /usr/lib/postgresql");
    return newest;
}

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(fd);
    if (!bound) throw std::runtime_error("no free port for the test cluster");
    return ntohs(address.sin_port);
}

class Cluster {
public:
    Cluster() {
        const fs::path bin = ServerBinaries();
        char pattern[] = "/tmp/dalvero-pg.XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("cannot make the test cluster's folder");
        const fs::path root = pattern;
        std::string as;  // the command prefix that runs the cluster's programs
        if (::geteuid() == 0) {
            const passwd* account = ::getpwnam("postgres");
            if (!account) account = ::getpwnam("nobody");
            if (!account || ::chown(root.c_str(), account->pw_uid, account->pw_gid) != 0)
                throw std::runtime_error("no account to run the test cluster under");
            as = std::string("runuser -u ") + account->pw_name + " -- ";
        }
        port_ = FreePort();
        const std::string data = (root / "data").string();
        const ShellResult made = RunShell(as + (bin / "initdb").string() + " -D " + data +
                                          " -U dalvero -A trust -E UTF8 --locale=C.UTF-8 >" + root.string() +
                                          "/initdb.log 2>&1");
        if (made.exitCode != 0) throw std::runtime_error("initdb failed: see " + root.string() + "/initdb.log");
        // Durability is not under test here; speed is welcome.
        const std::string options = "-p " + std::to_string(port_) + " -c listen_addresses=127.0.0.1" +
                                    " -c unix_socket_directories=" + root.string() +
                                    " -c fsync=off -c synchronous_commit=off -c full_page_writes=off" +
                                    " -c max_connections=300";
        const ShellResult started = RunShell(as + (bin / "pg_ctl").string() + " -D " + data + " -o '" + options +
                                             "' -l " + root.string() + "/server.log -w start >/dev/null 2>&1");
        if (started.exitCode != 0)
            throw std::runtime_error("the test cluster did not start: see " + root.string() + "/server.log");
        // Stopped and removed once this process has gone, however it ends.
        RunShell("setsid sh -c 'while kill -0 " + std::to_string(::getpid()) + " 2>/dev/null; do sleep 1; done; " +
                 as + (bin / "pg_ctl").string() + " -D " + data + " -m immediate stop; rm -rf " + root.string() +
                 "' </dev/null >/dev/null 2>&1 &");
    }

    std::string Dsn(const std::string& database) const {
        return "host=127.0.0.1 port=" + std::to_string(port_) + " user=dalvero dbname=" + database;
    }

private:
    int port_ = 0;
};

Cluster& TheCluster() {
    static Cluster cluster;
    return cluster;
}

}  // namespace

bool OnPostgres() {
    const char* engine = std::getenv("DALVERO_TEST_ENGINE");
    return engine && std::string(engine) == "postgresql";
}

std::string NewTestDatabase(const std::string& from) {
    static std::mutex mutex;
    static int made = 0;
    std::lock_guard lock(mutex);
    Cluster& cluster = TheCluster();
    const std::string name = "t" + std::to_string(++made);
    server::PostgresConnection(cluster.Dsn("postgres"), "").Execute("CREATE DATABASE " + name + (from.empty() ? "" : " TEMPLATE " + from));
    return cluster.Dsn(name);
}

std::unique_ptr<server::SqlStorage> OpenFolderStore(const fs::path& dataDir) {
    return server::OpenStorage(server::LoadServerConfig(dataDir).storage);
}

void ExecuteOnStore(const server::StorageSettings& settings, const std::string& sql) {
    if (settings.engine == server::StorageEngine::Postgresql) {
        try {
            server::PostgresConnection(settings.dsn, "").Execute(sql);
        } catch (const server::StorageError& e) {
            throw std::runtime_error(e.what());
        }
        return;
    }
    sqlite3* db = nullptr;
    const bool done = sqlite3_open(settings.file.c_str(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!done) throw std::runtime_error("the store did not take: " + sql);
}

TestStore::TestStore(const fs::path& dir) {
    settings_.file = (dir / "dalvero.db").string();
    if (!OnPostgres()) return;
    settings_.engine = server::StorageEngine::Postgresql;
    settings_.dsn = NewTestDatabase();
}

}  // namespace dalvero::test
