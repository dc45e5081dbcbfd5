// dalvero-server as an operator and a service manager meet it: its command
// line, the way into a new folder, one server per folder, signals, status,
// log lines, the nightly audit check, acknowledged writes across kill -9,
// and backups taken while planners work, each through the executable itself.

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "../net/socket_test_util.h"
#include "audit_trail.h"
#include "data_folder_lock.h"
#include "ini_file.h"
#include "password_hash.h"
#include "real_server.h"
#include "record_ops.h"
#include "schema.h"
#include "server_instance.h"
#include "sqlite_storage.h"
#include "test_store.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs dalvero-server with arguments (already shell-safe) and input on stdin.
Ran Server(const std::string& arguments, const std::string& input = {}) {
    TempDir capture("dalvero-server-capture");
    std::ofstream(capture.Path() / "in") << input;
    const std::string line = std::string("'") + DALVERO_SERVER_EXE + "' " + arguments + " <'" +
                             (capture.Path() / "in").string() + "' >'" + (capture.Path() / "out").string() + "' 2>'" +
                             (capture.Path() / "err").string() + "'";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(capture.Path() / "out"), Slurp(capture.Path() / "err")};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ServerCommandLine, UsageHelpAndVersionWithoutAFolder) {
    const Ran bare = Server("");
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_TRUE(Has(bare.err, "Usage:"));
    EXPECT_EQ(Server("--version").out, "dalvero-server " DALVERO_VERSION "\n");
    for (const char* command :
         {"run", "verify-audit", "status", "add-admin", "reset-password", "init", "backup", "restore"}) {
        const Ran help = Server(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(Has(help.out, std::string("Usage: dalvero-server ") + command)) << help.out;
    }
    EXPECT_EQ(Server("verify-audit a b").status, 2);
}

TEST(ServerInit, FirstAdministratorThenAnotherAndANewPasswordAllInTheTrail) {
    TempDir parent("dalvero-init");
    const fs::path dir = parent.Path() / "folder";
    const fs::path password = parent.Path() / "password";
    std::ofstream(password) << "First 1\n";
    fs::permissions(password, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(Server("init " + dir.string() + " --hospital 'Mercy General' --admin boss@mercy.example --password-file " +
                     password.string())
                  .status,
              0);
    // Only with a hospital and no demo can the admin be told apart.
    const Ran lone = Server("add-admin " + dir.string() + " two@mercy.example --password-file -", "Second 2\n");
    ASSERT_EQ(lone.status, 0) << lone.err;
    EXPECT_EQ(Server("add-admin " + dir.string() + " two@mercy.example --password-file -", "x\n").status, 1);
    ASSERT_EQ(Server("reset-password " + dir.string() + " boss@mercy.example --password-file -", "Third 3\n").status, 0);
    EXPECT_EQ(Server("reset-password " + dir.string() + " nobody@mercy.example --password-file -", "x\n").status, 1);

    {
        server::ServerInstance running(dir, 0, 0);
        const std::string ca = (dir / "tls" / "ca.pem").string();
        for (const server::DemoLogin& who : {server::DemoLogin{"boss@mercy.example", "Third 3", ""},
                                             server::DemoLogin{"two@mercy.example", "Second 2", ""}}) {
            // Throws when the log-in is refused.
            EXPECT_TRUE(RealServer::ConnectDataAt(running.DataPort(), ca, "Dalvero", &who)->IsConnected()) << who.email;
        }
    }
    const auto owned = dalvero::test::OpenFolderStore(dir);
    dalvero::server::Storage& store = *owned;
    server::ListRead read;
    read.table = server::schema::kAuditTrail;
    std::vector<std::string> byConsole;
    for (const server::Record& row : store.Select(read))
        if (row.Field(server::schema::audit::kEmail) == "dalvero-server")
            byConsole.push_back(row.Field(server::schema::audit::kAction));
    EXPECT_EQ(byConsole, (std::vector<std::string>{"add", "add", "add", "update"}));
}

// A server run by the executable on a copy of the prepared folder; killed
// and removed whatever the test does.
struct Served {
    fs::path dir;
    fs::path log = dir / "stderr.log";
    pid_t pid = -1;

    explicit Served(RealServer::Content content = RealServer::Empty) : dir(RealServer::CopyDataFolder(content)) {}
    ~Served() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void Set(const char* section, const char* key, const std::string& value) {
        IniFile ini;
        ini.LoadFromFile((dir / "server.ini").string());
        ini.WriteString(section, key, value);
        ini.SaveToFile((dir / "server.ini").string(), 0600);
    }
    void Start(bool journal) {
        pid = ::fork();
        if (pid == 0) {
            if (journal) ::setenv("JOURNAL_STREAM", "8:1234", 1);
            else ::unsetenv("JOURNAL_STREAM");
            ::freopen(log.c_str(), "w", stderr);
            ::execl(DALVERO_SERVER_EXE, DALVERO_SERVER_EXE, "run", dir.c_str(), nullptr);
            ::_exit(127);
        }
    }
    // Waits until status says the server is up, with its ports; its output.
    std::string WaitUp() {
        Ran status;
        for (int i = 0; i < 100 && (status.status != 0 || !Has(status.out, "DataServer:")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            status = Server("status " + dir.string());
        }
        EXPECT_EQ(status.status, 0) << Slurp(log);
        return status.out;
    }
    int Stop(int signal) {
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST(ServerProcess, OneServerPerFolderStatusHangupAndACleanStopInTheLog) {
    Served served;
    served.Set("DataServer", "Port", "0");
    served.Set("FunctionServer", "Port", "0");
    served.Set("DataServer", "Bind", "localhost");
    served.Set("FunctionServer", "Bind", "::1");
    served.Start(false);
    const std::string status = served.WaitUp();
    EXPECT_TRUE(Has(status, "process: " + std::to_string(served.pid) + "\n")) << status;
    EXPECT_TRUE(Has(status, "DataServer: localhost:")) << status;
    EXPECT_TRUE(Has(status, "FunctionServer: ::1:")) << status;
    EXPECT_TRUE(Has(status, "sessions: 0\n")) << status;

    const Ran second = Server("run " + served.dir.string());
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(Has(second.err, "served already by process " + std::to_string(served.pid))) << second.err;

    ::kill(served.pid, SIGHUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Server("status " + served.dir.string()).status, 0);
    EXPECT_EQ(served.Stop(SIGTERM), 0);
    EXPECT_EQ(Server("status " + served.dir.string()).status, 3);

    const std::string log = Slurp(served.log);
    const std::regex line(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d (info|notice|warning|error) .+)");
    std::istringstream lines(log);
    int count = 0;
    for (std::string text; std::getline(lines, text); ++count) EXPECT_TRUE(std::regex_match(text, line)) << text;
    EXPECT_GE(count, 4);
    EXPECT_TRUE(Has(log, "notice dalvero-server " DALVERO_VERSION " serving ")) << log;
    EXPECT_TRUE(Has(log, "notice stopped\n")) << log;

    // Under a service manager the journal keeps the time; a bad address names
    // the file and the key.
    served.Start(true);
    served.WaitUp();
    EXPECT_EQ(served.Stop(SIGINT), 0);
    EXPECT_EQ(Slurp(served.log).rfind("<6>", 0), 0u) << Slurp(served.log);
    EXPECT_TRUE(Has(Slurp(served.log), "<5>stopped\n"));
    served.Set("DataServer", "Bind", "no-such-host.invalid");
    const Ran bad = Server("run " + served.dir.string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.err, (served.dir / "server.ini").string() + " [DataServer] Bind, Port: bad listen address"))
        << bad.err;
}

TEST(ServerAudit, VerifyAuditTellsTamperingFromAnUnreadableFolderAndChecksAKeptHash) {
    Served folder;
    const std::string dir = folder.dir.string();
    {
        const auto owned = dalvero::test::OpenFolderStore(folder.dir);
        dalvero::server::Storage& store = *owned;
        server::Principal who;
        who.email = "a@b.example";
        for (int i = 0; i < 3; ++i) server::AppendAudit(store, who, {{"read", "Patients", i + 1, "", ""}}, 1'700'000'000);
    }
    {
        // Local time with its offset: the hour the clocks go back is told apart.
        const auto owned = dalvero::test::OpenFolderStore(folder.dir);
        dalvero::server::Storage& store = *owned;
        const std::string time = store.Read(server::schema::kAuditTrail, 1)->Field(server::schema::audit::kTime);
        EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d{14}[+-]\d{4})"))) << time;
    }
    const Ran intact = Server("verify-audit " + dir);
    ASSERT_EQ(intact.status, 0) << intact.err;
    const std::smatch last = [&] {
        std::smatch m;
        std::regex_search(intact.out, m, std::regex(R"(Last row: (\d+):([0-9a-f]{64}))"));
        return m;
    }();
    ASSERT_EQ(last.size(), 3u) << intact.out;
    const std::string expect = last[1].str() + ":" + last[2].str();
    EXPECT_EQ(Server("verify-audit " + dir + " --expect " + expect).status, 0);
    EXPECT_EQ(Server("verify-audit " + dir + " --expect nonsense").status, 2);
    EXPECT_EQ(Server("verify-audit " + dir + "/absent").status, 1);

    // A kept hash that the row no longer has: the trail was rewritten.
    const Ran changed = Server("verify-audit " + dir + " --expect " + last[1].str() + ":" + std::string(64, '0'));
    EXPECT_EQ(changed.status, 3);
    EXPECT_TRUE(Has(changed.out, "no longer has the hash it had")) << changed.out;
    // So was a row edited in place.
    OpenFolderStore(folder.dir)->Update(server::schema::kAuditTrail, 2, {{server::schema::audit::kAddress, "10.9.9.9"}});
    EXPECT_EQ(Server("verify-audit " + dir).status, 3);
}

TEST(ServerProcess, AcknowledgedWritesSurviveKillMinus9) {
    Served served;
    // The same ports after the restart: a killed server's last status stays
    // in its lock file until the next one writes its own.
    const int port = ClosedPort();
    served.Set("DataServer", "Port", std::to_string(port));
    served.Set("FunctionServer", "Port", std::to_string(ClosedPort()));
    OpenFolderStore(served.dir)->Add(
        "Personnel", {{9, "1"}, {22, "crash@test"}, {23, HashPassword("pw", RealServer::kPasswordIterations)}});
    const server::DemoLogin crash{"crash@test", "pw", ""};
    auto connect = [&] {
        std::unique_ptr<dbServerConnection> db;
        for (int i = 0; i < 100 && !(db && db->IsConnected()); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            db = RealServer::ConnectDataAt(port, (served.dir / "tls" / "ca.pem").string(), "Dalvero", &crash);
        }
        return db;
    };
    served.Start(false);
    // Planners adding at once when the server is killed: each keeps the
    // Seqs the server acknowledged, with the name it gave them.
    constexpr int kWriters = 4;
    std::vector<std::vector<std::pair<std::string, std::string>>> acknowledged(kWriters);
    std::atomic<int> count{0};
    std::string updated;
    {
        std::vector<std::unique_ptr<dbServerConnection>> planners;
        for (int w = 0; w < kWriters; ++w) planners.push_back(connect());
        updated = AddRecord(*planners[0], "Patients", StringList{"f10=Before", "f12=Test"});
        ASSERT_TRUE(UpdateRecord(*planners[0], "Patients", updated, StringList{"f11=Updated"}));
        std::vector<std::thread> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&, w] {
                for (int i = 0;; ++i) {
                    const std::string name = "Crash" + std::to_string(w) + "-" + std::to_string(i);
                    const std::string seq = AddRecord(*planners[w], "Patients", StringList{"f10=" + name, "f12=Test"});
                    if (seq.empty()) return;  // the server is gone
                    acknowledged[w].emplace_back(seq, name);
                    ++count;
                }
            });
        }
        while (count < 40) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        served.Stop(SIGKILL);
        for (std::thread& writer : writers) writer.join();
    }

    // Every acknowledged add is there with its audit row, and the trail is whole.
    {
        const auto store = OpenFolderStore(served.dir);
        server::ListRead adds;
        adds.table = server::schema::kAuditTrail;
        adds.where = {{server::schema::audit::kAction, server::CompareOp::Equal, "add", false}};
        std::set<std::string> audited;
        for (const auto& row : store->Select(adds)) audited.insert(row.Field(server::schema::audit::kRecord));
        for (const auto& writer : acknowledged) {
            for (const auto& [seq, name] : writer) {
                const auto record = store->Read("Patients", std::stoll(seq));
                ASSERT_TRUE(record) << seq;
                EXPECT_EQ(record->Field(10), name);
                EXPECT_TRUE(audited.count(seq)) << "no audit row for the add of " << seq;
            }
        }
        EXPECT_EQ(store->Read("Patients", std::stoll(updated))->Field(11), "Updated");
    }
    EXPECT_EQ(Server("verify-audit " + served.dir.string()).status, 0);

    served.Start(false);
    EXPECT_TRUE(connect()->IsConnected());
    EXPECT_EQ(served.Stop(SIGTERM), 0) << "run ends cleanly on SIGTERM";
}

// A server killed without its clean stop leaves its last status in the lock
// file; the next one must not be reported up, on the old ports, before it is.
TEST(ServerProcess, AKilledServersStatusIsNotTakenForTheNextOnes) {
    TempDir dir("dalvero-lock");
    const pid_t killed = ::fork();
    if (killed == 0) {
        server::DataFolderLock lock(dir.Path());
        lock.WriteStatus("process: 1\nDataServer: localhost:1\n");
        ::_exit(0);  // no destructor: the lock goes with the process, the text stays
    }
    ::waitpid(killed, nullptr, 0);
    ASSERT_GT(fs::file_size(dir.Path() / server::kLockFileName), 0u);
    server::DataFolderLock next(dir.Path());
    EXPECT_EQ(fs::file_size(dir.Path() / server::kLockFileName), 0u);
}

std::string IntegrityCheck(const fs::path& database) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
        result = check && sqlite3_step(check) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(check, 0))
                                                           : sqlite3_errmsg(db);
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return result;
}

TEST(ServerBackup, ABackupTakenWhilePlannersWriteRestoresEveryAcknowledgedWriteWithItsTrailIntact) {
    if (OnPostgres()) GTEST_SKIP() << "backs up the embedded store; a cluster has its own tools";
    Served served(RealServer::Demo);
    served.Set("DataServer", "Port", "0");
    served.Set("FunctionServer", "Port", "0");
    served.Start(false);
    std::smatch port;
    const std::string status = served.WaitUp();
    ASSERT_TRUE(std::regex_search(status, port, std::regex(R"(DataServer: [^\n]*:(\d+)\n)"))) << status;
    auto connect = [&] {
        return RealServer::ConnectDataAt(std::stoi(port[1]), (served.dir / "tls" / "ca.pem").string(), "Dalvero",
                                         &RealServer::DemoAdministrator());
    };
    TempDir out("dalvero-backup");
    const fs::path archive = out.Path() / "nightly.tar";
    const std::string scan(300'000, '\x9c');
    std::ofstream(out.Path() / "scan.bin", std::ios::binary) << scan;
    auto db = connect();
    const std::string scanned = AddRecord(*db, "Patients", StringList{"f10=Scanned"});
    ASSERT_TRUE(db->PutRecordFile("Patients", scanned, 1, (out.Path() / "scan.bin").string()));

    std::mutex mutex;
    std::vector<std::int64_t> acknowledged;
    std::atomic<bool> stop = false;
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            auto writer = connect();
            for (int i = 0; !stop; ++i) {
                const std::string seq = AddRecord(*writer, "Patients", StringList{"f10=W" + std::to_string(w * 10000 + i)});
                if (seq.empty()) return;
                std::lock_guard<std::mutex> hold(mutex);
                acknowledged.push_back(std::stoll(seq));
            }
        });
    }
    auto count = [&] {
        std::lock_guard<std::mutex> hold(mutex);
        return acknowledged.size();
    };
    for (int i = 0; i < 200 && count() < 30; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<std::int64_t> before;
    {
        std::lock_guard<std::mutex> hold(mutex);
        before = acknowledged;
    }
    const Ran backup = Server("backup " + served.dir.string() + " " + archive.string());
    stop = true;
    for (std::thread& writer : writers) writer.join();
    ASSERT_EQ(backup.status, 0) << backup.err;
    ASSERT_GE(before.size(), 30u) << "the writers did not get going";

    // A tar any tar reads, without the audit key.
    std::system(("tar -tf '" + archive.string() + "' > '" + (out.Path() / "list").string() + "'").c_str());
    const std::string members = Slurp(out.Path() / "list");
    EXPECT_TRUE(Has(members, "dalvero.db\n") && Has(members, "tls/server.key\n")) << members;
    EXPECT_FALSE(Has(members, "audit.key")) << members;

    const Ran overLive = Server("restore " + archive.string() + " " + served.dir.string());
    EXPECT_EQ(overLive.status, 1);
    EXPECT_TRUE(Has(overLive.err, "is served by process " + std::to_string(served.pid))) << overLive.err;
    const fs::path restored = out.Path() / "restored";
    const Ran restore = Server("restore " + archive.string() + " " + restored.string() + " --audit-key " +
                               (served.dir / "tls" / "audit.key").string());
    ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
    EXPECT_EQ(IntegrityCheck(restored / "dalvero.db"), "ok");
    EXPECT_EQ(Server("verify-audit " + restored.string()).status, 0) << "the restore's own row breaks the chain";
    {
        server::SqliteStorage store((restored / "dalvero.db").string());
        EXPECT_EQ(store.ReadEach("Patients", before).size(), before.size());
        const auto file = store.ReadRecordFile("Patients", std::stoll(scanned), 1);
        EXPECT_TRUE(file && file->content == scan);
    }

    // Records in PostgreSQL are the cluster's to back up.
    served.Set("Storage", "Engine", "postgresql");
    served.Set("Storage", "DSN", "host=127.0.0.1 dbname=dalvero");
    const Ran elsewhere = Server("backup " + served.dir.string() + " " + (out.Path() / "pg.tar").string());
    EXPECT_EQ(elsewhere.status, 1);
    EXPECT_TRUE(Has(elsewhere.err, "pg_dump")) << elsewhere.err;
    EXPECT_FALSE(fs::exists(out.Path() / "pg.tar"));

    // A cut archive leaves no folder behind.
    fs::copy_file(archive, out.Path() / "cut.tar");
    fs::resize_file(out.Path() / "cut.tar", fs::file_size(archive) / 2);
    const Ran cut = Server("restore " + (out.Path() / "cut.tar").string() + " " + (out.Path() / "again").string());
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(Has(cut.err, "cut short")) << cut.err;
    EXPECT_FALSE(fs::exists(out.Path() / "again"));
}

TEST(ServerBackup, ARestoreRefusesMembersThatWouldLandOutsideItsFolder) {
    TempDir out("dalvero-restore");
    const std::string at = "cd '" + out.Path().string() + "' && ";
    std::system((at + "mkdir in && echo x > in/server.ini && ln -s /etc/passwd in/dalvero.db && "
                      "tar -cf climbs.tar -P --transform 's,^in/,../in/,' in/server.ini && "
                      "tar -cf linked.tar -C in server.ini dalvero.db").c_str());
    const Ran climbs = Server("restore " + (out.Path() / "climbs.tar").string() + " " + (out.Path() / "a").string());
    EXPECT_EQ(climbs.status, 1);
    EXPECT_TRUE(Has(climbs.err, "unsafe name '../in/server.ini'")) << climbs.err;
    const Ran linked = Server("restore " + (out.Path() / "linked.tar").string() + " " + (out.Path() / "b").string());
    EXPECT_EQ(linked.status, 1);
    EXPECT_TRUE(Has(linked.err, "dalvero.db is neither a folder nor a regular file")) << linked.err;
    EXPECT_FALSE(fs::exists(out.Path() / "a") || fs::exists(out.Path() / "b"));
}

// Every list of every table, read whole in its own order.
std::vector<server::Record> EveryList(server::Storage& store) {
    std::vector<server::Record> rows;
    for (const server::schema::TableDef& table : server::schema::Tables())
        for (const server::schema::ListDef& list : table.lists) {
            server::ListRead read;
            read.table = table.name;
            read.orderBy = list.orderBy;
            read.descending = list.descending;
            const std::vector<server::Record> page = store.Select(read);
            rows.insert(rows.end(), page.begin(), page.end());
        }
    return rows;
}

TEST(ServerMigrate, TheDemoFolderMovedIntoPostgresqlAnswersEveryListAsBefore) {
    if (!OnPostgres()) GTEST_SKIP() << "moves a folder into PostgreSQL";
    struct Removed {
        fs::path path;
        ~Removed() { fs::remove_all(path); }
        const fs::path& Path() const { return path; }
    } from{RealServer::CopyDataFolder(RealServer::Demo)};
    IniFile ini;  // the copy's own SQLite database, not the test cluster's
    ini.LoadFromFile((from.Path() / "server.ini").string());
    ini.WriteString("Storage", "Engine", "sqlite");
    ini.SaveToFile((from.Path() / "server.ini").string());
    TempDir work("dalvero-migrate");
    const fs::path to = work.Path() / "to";
    const std::string dsn = NewTestDatabase();

    const Ran moved = Server("migrate " + from.Path().string() + " " + to.string() + " --dsn '" + dsn + "'");
    ASSERT_EQ(moved.status, 0) << moved.err;
    EXPECT_FALSE(fs::exists(to / "dalvero.db"));
    const auto before = OpenFolderStore(from.Path());
    const auto after = OpenFolderStore(to);
    ASSERT_EQ(server::LoadServerConfig(to).storage.engine, server::StorageEngine::Postgresql);
    const std::vector<server::Record> lists = EveryList(*before);
    EXPECT_GT(lists.size(), 50'000u);
    EXPECT_TRUE(EveryList(*after) == lists) << "a list answers otherwise after the move";
    for (const server::schema::TableDef& table : server::schema::Tables())
        EXPECT_EQ(after->HighestSeq(table.name), before->HighestSeq(table.name)) << table.name;
    EXPECT_EQ(after->RecordFileSlots().size(), before->RecordFileSlots().size());
    EXPECT_FALSE(after->RecordFileSlots().empty()) << "the demo hospital's logo";
    EXPECT_EQ(Server("verify-audit " + to.string()).status, 0);

    // A database that holds records already is left alone.
    const Ran again = Server("migrate " + from.Path().string() + " " + (work.Path() / "again").string() + " --dsn '" +
                             dsn + "'");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(Has(again.err, "already holds records")) << again.err;
    EXPECT_FALSE(fs::exists(work.Path() / "again"));
}

TEST(ServerInit, AFolderOnPostgresqlIsMadeInAnEmptyDatabaseOnly) {
    if (!OnPostgres()) GTEST_SKIP() << "makes a PostgreSQL database";
    TempDir work("dalvero-init-pg");
    const std::string dsn = NewTestDatabase();
    const fs::path dir = work.Path() / "first";
    const Ran made = Server("init " + dir.string() + " --storage postgresql --dsn '" + dsn + "'");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_FALSE(fs::exists(dir / "dalvero.db"));
    EXPECT_EQ(OpenFolderStore(dir)->Count("ICD9Symptom", {}), 14'567);

    const fs::path second = work.Path() / "second";
    const Ran again = Server("init " + second.string() + " --storage postgresql --dsn '" + dsn + "'");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(Has(again.err, "already holds records")) << again.err;
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(Server("init " + second.string() + " --dsn '" + dsn + "'").status, 2) << "a DSN without the engine";
}

}  // namespace
}  // namespace dalvero::test
