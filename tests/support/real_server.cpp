#include "real_server.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <mutex>

#include "ini_file.h"
#include "init_data_folder.h"
#include "log_in.h"
#include "net_start.h"
#include "server_instance.h"
#include "sqlite_storage.h"
#include "store_copy.h"
#include "test_store.h"

namespace fs = std::filesystem;

namespace dalvero::test {

namespace {

struct Template {
    fs::path dir;
    std::vector<server::DemoLogin> logins;
};

// CTest runs every test case in a process of its own, and making a data
// folder loads the code books; so the folders are made once per build of the
// test program, kept in the build tree and copied for each server. A lock
// file keeps parallel test processes from making the same one twice.
fs::path TemplateRoot() {
    std::error_code ec;
    const fs::path exe = fs::canonical("/proc/self/exe", ec);
    const auto stamp = fs::last_write_time(exe, ec).time_since_epoch().count();
    return fs::path(DALVERO_TEST_CACHE_DIR) / (exe.filename().string() + "-" + std::to_string(stamp));
}

const Template& TemplateFor(RealServer::Content content) {
    static Template templates[2];
    static bool have[2] = {false, false};
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const int i = content == RealServer::Demo ? 1 : 0;
    Template& t = templates[i];
    if (have[i]) return t;

    const fs::path root = TemplateRoot();
    fs::create_directories(root);
    // Folders made for earlier builds of this program are of no more use.
    const std::string prefix = root.filename().string().substr(0, root.filename().string().rfind('-') + 1);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name != root.filename().string() && name.rfind(prefix, 0) == 0) fs::remove_all(entry.path(), ec);
    }
    const int lockFd = ::open((root / "lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    ::flock(lockFd, LOCK_EX);
    t.dir = root / (i ? "demo" : "empty");
    const fs::path loginsFile = root / (i ? "demo.logins" : "empty.logins");
    if (!fs::exists(loginsFile)) {
        fs::remove_all(t.dir, ec);
        server::InitOptions options;
        options.demo = i == 1;
        options.referenceDir = DALVERO_SOURCE_DATA_DIR;
        options.passwordIterations = RealServer::kPasswordIterations;
        const auto result = server::InitDataFolder(t.dir, options);
        // Tests fail log-ins on purpose and log in many times from one address.
        IniFile ini;
        ini.LoadFromFile((t.dir / "server.ini").string());
        ini.WriteString("Security", "LoginDelaySeconds", "0");
        ini.WriteString("Security", "LockAfterFailures", "100000");
        ini.SaveToFile((t.dir / "server.ini").string());
        std::ofstream out(loginsFile.string() + ".tmp");
        for (const auto& login : result.logins) out << login.email << '\t' << login.password << '\t' << login.roles << '\n';
        out.close();
        fs::rename(loginsFile.string() + ".tmp", loginsFile);
    }
    std::ifstream in(loginsFile);
    for (std::string line; std::getline(in, line);) {
        const auto a = line.find('\t');
        const auto b = line.find('\t', a + 1);
        t.logins.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    have[i] = true;
    return t;
}

// On PostgreSQL, the prepared folder's records copied once into a database
// of the test cluster, from which each server's database is made.
const std::string& TemplateDatabase(RealServer::Content content) {
    static std::string names[2];
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::string& name = names[content == RealServer::Demo ? 1 : 0];
    if (name.empty()) {
        const std::string dsn = NewTestDatabase();
        server::SqliteStorage from((TemplateFor(content).dir / "dalvero.db").string());
        server::PostgresStorage to(dsn, "", 4);
        server::CopyStore(from, to);
        name = dsn.substr(dsn.rfind("dbname=") + 7);
    }
    return name;
}

void CopyTemplate(RealServer::Content content, const fs::path& dir) {
    fs::copy(TemplateFor(content).dir, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    if (!OnPostgres()) return;
    IniFile ini;
    ini.LoadFromFile((dir / "server.ini").string());
    ini.WriteString("Storage", "Engine", "postgresql");
    ini.WriteString("Storage", "DSN", NewTestDatabase(TemplateDatabase(content)));
    ini.SaveToFile((dir / "server.ini").string());
}

}  // namespace

fs::path RealServer::CopyDataFolder(Content content) {
    TempDir dir("dalvero-server");
    CopyTemplate(content, dir.Path());
    return dir.Release();
}

RealServer::RealServer(Content content) : dir_("dalvero-server"), content_(content) {
    StartTls();
    CopyTemplate(content, dir_.Path());
    instance_ = std::make_unique<server::ServerInstance>(dir_.Path(), 0, 0);
}

RealServer::~RealServer() = default;

int RealServer::DataPort() const { return instance_ ? instance_->DataPort() : stoppedDataPort_; }
int RealServer::FunctionPort() const { return instance_ ? instance_->FunctionPort() : stoppedFunctionPort_; }
std::string RealServer::CaFile() const { return instance_->Config().caFile.string(); }
const std::vector<server::DemoLogin>& RealServer::Logins() const { return TemplateFor(content_).logins; }

const server::DemoLogin& RealServer::DemoUser(const std::string& roles) const {
    if (content_ != Demo) throw std::runtime_error("no demo log-ins in an empty folder");
    return DemoLoginWith(roles);
}

std::unique_ptr<dbServerConnection> RealServer::ConnectData(const std::string& programId, bool logIn,
                                                            const server::DemoLogin* as) const {
    return ConnectDataAt(DataPort(), CaFile(), programId, logIn ? (as ? as : &DemoUser("Administrator")) : nullptr);
}

const server::DemoLogin& RealServer::DemoAdministrator() { return DemoLoginWith("Administrator"); }

const server::DemoLogin& RealServer::DemoLoginWith(const std::string& roles) {
    for (const auto& user : TemplateFor(Demo).logins)
        if (user.roles == roles) return user;
    throw std::runtime_error("no demo log-in with roles " + roles);
}

std::unique_ptr<dbServerConnection> RealServer::ConnectDataAt(int port, const std::string& caFile,
                                                              const std::string& programId,
                                                              const server::DemoLogin* user) {
    auto db = std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(port), programId, "", true, 30, caFile);
    if (user && db->IsConnected()) {
        StringList person;
        std::string session;
        if (!LogIn(*db, user->email, user->password, person, session))
            throw std::runtime_error("test log-in as " + user->email + " failed: " + db->ErrorText);
    }
    return db;
}

std::unique_ptr<dbServerConnection> RealServer::ConnectFunctions(bool logIn, const server::DemoLogin* as) const {
    auto fn = std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(FunctionPort()), "", "", true, 30,
                                                   CaFile());
    // The session outlives the connection it was made on.
    if (logIn) fn->Session = ConnectData("Dalvero", true, as)->Key;
    return fn;
}

std::unique_ptr<server::SqlStorage> RealServer::OpenStore() const {
    return server::OpenStorage(instance_->Config().storage);
}

void RealServer::SetSecurity(const std::string& key, const std::string& value) {
    const fs::path file = dir_.Path() / "server.ini";
    IniFile ini;
    ini.LoadFromFile(file.string());
    ini.WriteString("Security", key, value);
    ini.SaveToFile(file.string());
    Restart();
}

void RealServer::WriteClientIni(const fs::path& folder) const {
    std::ofstream ini(folder / "Dalvero.ini");
    ini << "[DataServer]\nIP=127.0.0.1\nPort=" << DataPort() << "\nCAFile=" << CaFile()
        << "\n\n[FunctionServer]\nIP=127.0.0.1\nPort=" << FunctionPort() << "\nCAFile=" << CaFile() << "\n";
}

void RealServer::Restart() {
    instance_.reset();
    instance_ = std::make_unique<server::ServerInstance>(dir_.Path(), 0, 0);
}

void RealServer::Stop() {
    stoppedDataPort_ = DataPort();
    stoppedFunctionPort_ = FunctionPort();
    instance_.reset();
}

void RealServer::Resume() {
    instance_ = std::make_unique<server::ServerInstance>(dir_.Path(), stoppedDataPort_, stoppedFunctionPort_);
}

}  // namespace dalvero::test
