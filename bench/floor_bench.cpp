// The floor under the load generator's rows: the same statements run in this
// process on the same database file, with no server, no TLS and no checks in
// between. What the server takes beyond this is its own cost.
//
//     floor_bench DATABASE point|icd|openlist [--user EMAIL] [--cases N] [--requests N]

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "load_stats.h"

using namespace dalvero::bench;

namespace {

// The statement the open-case list comes down to: the open cases of the
// hospital of the person with the e-mail ?1, in admission order, with their
// patient and case worker, the fields the client's case list asks for.
constexpr char kOpenList[] =
    "SELECT c.seq, c.f10, c.f12, c.f13, c.f14, c.f15, c.f18, c.f19, c.f20, c.f21, c.f22, c.f23, c.f24, c.f25, "
    "c.f30, p.f10, p.f11, p.f12, p.f13, p.f14, p.f15, cm.f11, cm.f13 "
    "FROM Cases c LEFT JOIN Patients p ON p.seq = c.f10 LEFT JOIN Personnel cm ON cm.seq = c.f23 "
    "WHERE c.f11 = (SELECT f9 FROM Personnel WHERE f22 = ?1) AND c.f18 <> 'Y' ORDER BY c.f12, c.seq";
constexpr char kIcdList[] = "SELECT seq, f10, f11 FROM ICD9Symptom ORDER BY f10, seq";
constexpr char kPointRead[] = "SELECT * FROM Cases WHERE seq = ?1";

class Database {
public:
    explicit Database(const char* file) {
        if (sqlite3_open_v2(file, &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "floor_bench: cannot open %s\n", file);
            std::exit(1);
        }
    }
    ~Database() { sqlite3_close(db_); }

    // Steps the statement through; the number of rows, -1 on an error.
    int Rows(const char* sql, const std::string& parameter) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "floor_bench: %s\n", sqlite3_errmsg(db_));
            return -1;
        }
        if (!parameter.empty()) sqlite3_bind_text(statement, 1, parameter.c_str(), -1, SQLITE_TRANSIENT);
        int rows = 0;
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            // Read every column, as a reply would.
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                sqlite3_column_text(statement, column);
            ++rows;
        }
        sqlite3_finalize(statement);
        return step == SQLITE_DONE ? rows : -1;
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: floor_bench DATABASE point|icd|openlist [--user EMAIL] [--cases N]\n");
        return 2;
    }
    const std::string row = argv[2];
    const Options options(argc, argv, 3);
    const std::string user = options.Text("--user");
    const int cases = static_cast<int>(options.Number("--cases", 85));
    int requests = static_cast<int>(options.Number("--requests", 0, 0));
    Database db(argv[1]);
    const bool point = row == "point";
    if (!point && row != "icd" && row != "openlist") {
        std::fprintf(stderr, "floor_bench: unknown row %s\n", row.c_str());
        return 2;
    }
    if (requests == 0) requests = point ? 20'000 : 20;
    std::vector<double> ms;
    int rows = 0;
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        const auto begin = Clock::now();
        rows = point ? db.Rows(kPointRead, std::to_string(1 + (static_cast<long long>(i) * 104729) % cases))
                     : db.Rows(row == "icd" ? kIcdList : kOpenList, row == "icd" ? "" : user);
        if (rows < 0) return 1;
        ms.push_back(MsSince(begin));
    }
    LoadStats stats;
    stats.done = requests;
    stats.seconds = MsSince(start) / 1000;
    Summarize(ms, stats);
    if (point) PrintStats("floor-point", stats);
    else std::printf("floor-%s rows=%d p50=%.2f max=%.2f\n", row.c_str(), rows, stats.p50Ms, stats.maxMs);
    return 0;
}
