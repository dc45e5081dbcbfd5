#include "sqlite_backup.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "storage.h"

namespace dalvero::server {

namespace {

// A slice of 4 MiB at the default page size: progress between slices, and
// no single step that runs for long on a large file.
constexpr int kPagesPerStep = 1024;
constexpr int kBusyTimeoutMs = 15000;

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

// Opens an existing database (never makes one: a wrong path must fail, not
// yield an empty copy).
Handle OpenExisting(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK)
        throw StorageError("cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : "out of memory"));
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    return db;
}

void Execute(sqlite3* db, const char* sql, const std::string& what) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw StorageError(what + ": " + text);
    }
}

}  // namespace

void CopySqliteDatabase(const std::string& source, const std::string& target) {
    if (!std::filesystem::is_regular_file(source)) throw StorageError("no database " + source);
    // Read-write only so that a WAL database opens whether or not its server
    // runs; query_only keeps this connection from ever writing to it.
    Handle from = OpenExisting(source, SQLITE_OPEN_READWRITE);
    Execute(from.get(), "PRAGMA query_only=1", "cannot read " + source);
    // The read transaction pins one snapshot for every step. Without it each
    // step would read afresh, and a write by the server between steps would
    // start the copy over, again and again while planners work.
    Execute(from.get(), "BEGIN; SELECT count(*) FROM sqlite_schema", "cannot read " + source);
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(target.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Handle to(raw);
    if (opened != SQLITE_OK) throw StorageError("cannot make " + target);
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!backup) throw StorageError("cannot copy " + source + ": " + sqlite3_errmsg(to.get()));
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(20);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw StorageError("copying " + source + " failed: " + sqlite3_errstr(rc));
    Execute(from.get(), "COMMIT", "cannot end the read of " + source);
}

std::vector<std::string> SqliteIntegrityProblems(const std::string& path) {
    Handle db = OpenExisting(path, SQLITE_OPEN_READWRITE);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check", -1, &raw, nullptr) != SQLITE_OK)
        throw StorageError("cannot check " + path + ": " + sqlite3_errmsg(db.get()));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> check(raw, sqlite3_finalize);
    std::vector<std::string> problems;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(raw, 0);
        const std::string line = text ? reinterpret_cast<const char*>(text) : "";
        if (line != "ok") problems.push_back(line);
    }
    // A file that is no database at all fails the check itself.
    if (rc != SQLITE_DONE) problems.push_back(sqlite3_errmsg(db.get()));
    return problems;
}

}  // namespace dalvero::server
