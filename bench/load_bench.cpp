// The load generator: clients on the product's own connection library
// (persistent TLS connections, the log-in before the clock starts) against a
// running dalvero-server, one row of the speed table per call. bench/run.sh
// makes the data folders, starts the server and calls each row.
//
//     load_bench ROW --data-port P --function-port Q --ca FILE --user EMAIL --password PW
//                [--clients N] [--requests N] [--seconds S] [--cases N] [--server-pid PID] [--rounds N]
//
// Rows: reads (point reads of cases), icd (the ICD9Symptom L2 list in pages of
// 1,000), openlist (the open-case list and its statuses), adds (family
// records added to cases), logins (that many people logging in at once) and
// crowd (idle TLS and silent TCP connections, then one more client).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <barrier>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "case_queries.h"
#include "db_server_connection.h"
#include "load_stats.h"
#include "log_in.h"
#include "net_start.h"
#include "password_hash.h"
#include "record_batch.h"
#include "record_ops.h"
#include "table_catalogue.h"

using namespace dalvero;
using namespace dalvero::bench;
namespace cat = dalvero::catalogue;

namespace {

constexpr int kTimeoutSeconds = 120;

struct Target {
    int dataPort = 0;
    int functionPort = 0;
    std::string ca;
    std::string email;
    std::string password;
    int clients = 1;
    int requests = 100'000;
    double seconds = 10;
    int cases = 85;
    long serverPid = 0;
};

std::unique_ptr<dbServerConnection> OpenData(const Target& t) {
    return std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(t.dataPort), "Dalvero", "", true,
                                                kTimeoutSeconds, t.ca);
}

std::unique_ptr<dbServerConnection> OpenFunctions(const Target& t, const std::string& session) {
    auto fn = std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(t.functionPort), "", "", true,
                                                   kTimeoutSeconds, t.ca);
    fn->Session = session;
    return fn;
}

// A logged-in DataServer connection; person gets the person's record.
std::unique_ptr<dbServerConnection> LoggedIn(const Target& t, StringList* person = nullptr) {
    auto db = OpenData(t);
    StringList record;
    std::string session;
    if (!db->IsConnected() || !LogIn(*db, t.email, t.password, record, session)) {
        std::fprintf(stderr, "log-in as %s failed: %s\n", t.email.c_str(), db->ErrorText.c_str());
        return nullptr;
    }
    if (person) *person = record;
    return db;
}

// The i-th of a client's requests names a case spread over all of them.
std::string CaseSeq(const Target& t, int client, int i) {
    return std::to_string(1 + (static_cast<long long>(client) * 7919 + static_cast<long long>(i) * 104729) % t.cases);
}

int PointReads(const Target& t) {
    PrintStats("reads", RunClients(t.clients, t.requests, t.seconds, [&t](int client) {
        auto db = std::make_shared<std::unique_ptr<dbServerConnection>>();
        return ClientWork{[&t, db] { return (*db = LoggedIn(t)) != nullptr; },
                          [&t, db, client](int i) {
                              StringList values;
                              return ReadRecord(**db, cat::tbl::kCases, CaseSeq(t, client, i), values) &&
                                     values.size() > 1;
                          }};
    }));
    return 0;
}

int Adds(const Target& t) {
    namespace fm = cat::case_family;
    PrintStats("adds", RunClients(t.clients, t.requests, t.seconds, [&t](int client) {
        auto db = std::make_shared<std::unique_ptr<dbServerConnection>>();
        return ClientWork{[&t, db] { return (*db = LoggedIn(t)) != nullptr; },
                          [&t, db, client](int i) {
                              const StringList values{
                                  "f" + std::to_string(fm::kCase) + "=" + CaseSeq(t, client, i),
                                  "f" + std::to_string(fm::kFirstName) + "=Bench",
                                  "f" + std::to_string(fm::kLastName) + "=Client " + std::to_string(client),
                                  "f" + std::to_string(fm::kRelation) + "=Friend"};
                              return !AddRecord(**db, cat::tbl::kCaseFamily, values).empty();
                          }};
    }));
    return 0;
}

// Times repetitions of one list load by one client (`requests` of them, or
// as many as `seconds` allow).
int ListLoads(const Target& t, const std::string& name, const std::function<int(dbServerConnection&,
                                                                                  const StringList&)>& load) {
    StringList person;
    auto db = LoggedIn(t, &person);
    if (!db) return 1;
    int rows = 0;
    std::vector<double> ms;
    const auto first = Clock::now();
    for (int i = 0; i < t.requests && (i == 0 || MsSince(first) < t.seconds * 1000); ++i) {
        const auto start = Clock::now();
        rows = load(*db, person);
        if (rows < 0) {
            std::fprintf(stderr, "%s failed: %s\n", name.c_str(), db->ErrorText.c_str());
            return 1;
        }
        ms.push_back(MsSince(start));
    }
    LoadStats stats;
    Summarize(ms, stats);
    std::printf("%s rows=%d p50=%.2f max=%.2f\n", name.c_str(), rows, stats.p50Ms, stats.maxMs);
    return 0;
}

int IcdWalk(const Target& t) {
    return ListLoads(t, "icd", [](dbServerConnection& db, const StringList&) {
        cRecordBatch batch;
        if (!batch.Query(&db, cat::tbl::kICD9Symptom, "L2", "", "", 0, 1000, "f10,f11", "", "", "F")) return -1;
        int rows = batch.Set->Count;
        while (rows < batch.Set->Position && batch.SecondMark != 0) {
            if (!batch.NextPage() || batch.Set->Count == 0) return -1;
            rows += batch.Set->Count;
        }
        return rows;
    });
}

int OpenList(const Target& t) {
    std::unique_ptr<dbServerConnection> fn;  // kept open, as the client keeps it
    return ListLoads(t, "openlist", [&t, &fn](dbServerConnection& db, const StringList& person) {
        const CaseListOwner owner{person.items().at(cat::personnel::kHospital), person.items().at(1), true};
        std::optional<std::vector<cCaseObject>> rows = QueryOpenCases(db, owner);
        if (!rows) return -1;
        if (!fn) fn = OpenFunctions(t, db.Key);
        ApplyCaseStatuses(*fn, *rows);
        return static_cast<int>(rows->size());
    });
}

// People of the demo hospital who log in at once; made by an administrator
// the first time, so their passwords are hashed as the server hashes them.
std::string BenchEmail(int i) { return "bench" + std::to_string(i) + "@demo.dalvero"; }

bool MakeBenchPeople(const Target& t) {
    namespace pe = cat::personnel;
    // Two at a time: the server hashes each new password at the full rounds.
    constexpr int kAdders = 2;
    const LoadStats made = RunClients(kAdders, (t.clients + kAdders - 1) / kAdders, 3600, [&t](int adder) {
        auto db = std::make_shared<std::unique_ptr<dbServerConnection>>();
        auto admin = std::make_shared<StringList>();
        return ClientWork{[&t, db, admin] { return (*db = LoggedIn(t, admin.get())) != nullptr; },
                          [&t, db, admin, adder](int i) {
                              const int person = i * kAdders + adder;
                              if (person >= t.clients) return true;
                              const StringList values{
                                  "f" + std::to_string(pe::kHospital) + "=" + admin->items().at(pe::kHospital),
                                  "f" + std::to_string(pe::kFirstName) + "=Bench",
                                  "f" + std::to_string(pe::kLastName) + "=Planner " + std::to_string(person),
                                  "f" + std::to_string(pe::kEmail) + "=" + BenchEmail(person),
                                  "f" + std::to_string(pe::kPassword) + "=" + t.password,
                                  "f" + std::to_string(pe::kDischargePlanner) + "=Y"};
                              if (!AddRecord(**db, cat::tbl::kPersonnel, values).empty()) return true;
                              std::fprintf(stderr, "adding %s failed: %s\n", BenchEmail(person).c_str(),
                                           (*db)->ErrorText.c_str());
                              return false;
                          }};
    });
    return made.failed == 0;
}

// One password hash at the folder's rounds, in CPU seconds of this process.
double HashCpuSeconds(int rounds) {
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    HashPassword("one hash", rounds);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    return static_cast<double>(after.tv_sec - before.tv_sec) + (after.tv_nsec - before.tv_nsec) / 1e9;
}

int Logins(const Target& t, int rounds) {
    if (!MakeBenchPeople(t)) return 1;
    std::vector<std::unique_ptr<dbServerConnection>> connections;
    for (int i = 0; i < t.clients; ++i) connections.push_back(OpenData(t));
    // A planner already logged in goes on reading cases meanwhile.
    auto reader = LoggedIn(t);
    std::vector<double> ms(static_cast<std::size_t>(t.clients), -1);
    std::vector<std::string> refusals(static_cast<std::size_t>(t.clients));
    std::atomic<int> finished = 0;
    Clock::time_point start;
    std::barrier ready(t.clients + 1, [&start]() noexcept { start = Clock::now(); });
    std::vector<std::thread> threads;
    for (int i = 0; i < t.clients; ++i) {
        threads.emplace_back([&, i] {
            const auto index = static_cast<std::size_t>(i);
            ready.arrive_and_wait();
            StringList person;
            std::string session;
            if (LogIn(*connections[index], BenchEmail(i), t.password, person, session))
                ms[index] = MsSince(start);
            else
                refusals[index] = connections[index]->ErrorText;
            ++finished;
        });
    }
    double slowestRead = -1;
    ready.arrive_and_wait();
    while (reader && finished < t.clients) {
        const auto begin = Clock::now();
        StringList values;
        if (!ReadRecord(*reader, cat::tbl::kCases, CaseSeq(t, 0, 0), values)) break;
        slowestRead = std::max(slowestRead, MsSince(begin));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& thread : threads) thread.join();
    std::map<std::string, int> why;
    std::vector<double> succeeded;
    for (int i = 0; i < t.clients; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (ms[index] >= 0) succeeded.push_back(ms[index]);
        else ++why[refusals[index].empty() ? "no answer" : refusals[index]];
    }
    LoadStats stats;
    Summarize(succeeded, stats);
    const double hash = HashCpuSeconds(rounds);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("logins ok=%zu refused=%d p50=%.0f last=%.0f hash=%.3f target=%.0f slowest_read=%.0f\n",
                succeeded.size(), t.clients - static_cast<int>(succeeded.size()), stats.p50Ms, stats.maxMs, hash,
                (t.clients * hash / cores + 5) * 1000, slowestRead);
    for (const auto& [text, count] : why) std::fprintf(stderr, "  %d refused: %s\n", count, text.c_str());
    return 0;
}

// A TCP connection that never says anything; -1 when it could not be made.
int SilentSocket(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

long RssKb(long pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// `clients` idle TLS connections and as many silent TCP ones, half on each
// port; then a new client logs in and reads a case.
int Crowd(const Target& t) {
    const long rssBefore = RssKb(t.serverPid);
    std::vector<std::unique_ptr<dbServerConnection>> idle;
    std::vector<int> silent;
    int refused = 0;
    for (int i = 0; i < t.clients; ++i) {
        idle.push_back(i % 2 ? OpenFunctions(t, "") : OpenData(t));
        refused += !idle.back()->IsConnected();
        silent.push_back(SilentSocket(i % 2 ? t.functionPort : t.dataPort));
        refused += silent.back() < 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = Clock::now();
    auto db = LoggedIn(t);
    const double logIn = MsSince(start);
    const auto readStart = Clock::now();
    StringList values;
    const bool read = db && ReadRecord(*db, cat::tbl::kCases, "1", values) && values.size() > 1;
    const double readMs = MsSince(readStart);
    std::printf("crowd connections=%d refused=%d login=%.1f read=%.2f rss_before_kb=%ld rss_kb=%ld\n", 2 * t.clients,
                refused, logIn, read ? readMs : -1.0, rssBefore, RssKb(t.serverPid));
    for (int fd : silent)
        if (fd >= 0) ::close(fd);
    return read ? 0 : 1;
}

// Connections beyond the usual 1,024 open files.
void RaiseFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_bench reads|icd|openlist|adds|logins|crowd --data-port P ...\n");
        return 2;
    }
    const std::string row = argv[1];
    const Options options(argc, argv, 2);
    Target t;
    t.dataPort = static_cast<int>(options.Number("--data-port", 0));
    t.functionPort = static_cast<int>(options.Number("--function-port", 0));
    t.ca = options.Text("--ca");
    t.email = options.Text("--user");
    t.password = options.Text("--password");
    t.clients = static_cast<int>(options.Number("--clients", t.clients));
    t.requests = static_cast<int>(options.Number("--requests", t.requests));
    t.seconds = options.Number("--seconds", t.seconds, 0.1);
    t.cases = static_cast<int>(options.Number("--cases", t.cases));
    t.serverPid = static_cast<long>(options.Number("--server-pid", 0, 0));
    const int rounds = static_cast<int>(options.Number("--rounds", 600'000));
    RaiseFileLimit();
    StartTls();
    if (row == "reads") return PointReads(t);
    if (row == "adds") return Adds(t);
    if (row == "icd") return IcdWalk(t);
    if (row == "openlist") return OpenList(t);
    if (row == "logins") return Logins(t, rounds);
    if (row == "crowd") return Crowd(t);
    std::fprintf(stderr, "load_bench: unknown row %s\n", row.c_str());
    return 2;
}
