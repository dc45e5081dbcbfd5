#include "sqlite_connection.h"

#include "storage.h"

namespace dalvero::server {

namespace {

// Statements built from changing field sets (updates) would grow the cache
// without bound; past this many, idle statements are dropped.
constexpr std::size_t kMaxCached = 256;
constexpr int kBusyTimeoutMs = 15000;

// SQLite counts every allocation under one process-wide mutex unless told
// not to before its first use; every thread reading at once then queues on
// it. The setting holds only before the library starts, hence once here.
void TurnOffMemoryStatistics() {
    static const bool done = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)done;
}

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
    throw StorageError(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Statement::Statement(sqlite3* db, sqlite3_stmt* stmt, bool* busy) : db_(db), stmt_(stmt), busy_(busy) {}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_), busy_(other.busy_) {
    other.stmt_ = nullptr;
    other.busy_ = nullptr;
}

Statement::~Statement() {
    if (!stmt_) return;
    if (busy_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        *busy_ = false;
    } else {
        sqlite3_finalize(stmt_);
    }
}

Statement& Statement::Bind(int index, std::string_view text) {
    // An empty view may carry no pointer at all, which SQLite would bind as NULL.
    const char* bytes = text.data() ? text.data() : "";
    if (sqlite3_bind_text64(stmt_, index, bytes, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind");
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, "step");
}

void Statement::Run() {
    while (Step()) {
    }
}

std::string Statement::Text(int column) const { return std::string(View(column)); }

std::string_view Statement::View(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string_view();
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

SqliteConnection::SqliteConnection(const std::string& path) {
    TurnOffMemoryStatistics();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StorageError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    try {
        // FULL makes every acknowledged commit survive a crash or power loss.
        // The savepoints of a queued group journal in memory, not in a file
        // of their own written page by page.
        Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA temp_store=MEMORY;");
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, cached] : cache_) sqlite3_finalize(cached.stmt);
    sqlite3_close(db_);
}

void SqliteConnection::Execute(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw StorageError(text);
    }
}

void SqliteConnection::Run(const std::string& sql) { Prepare(sql).Run(); }

void SqliteConnection::Rollback() noexcept {
    if (sqlite3_get_autocommit(db_)) return;
    try {
        Run("ROLLBACK");
    } catch (const StorageError&) {
        // SQLite ends the transaction itself when it cannot go on.
    }
}

void SqliteConnection::InSavepoint(const std::function<void()>& fn) {
    // Prepared once: every write and every audit row of a batch comes here.
    Run("SAVEPOINT nested");
    try {
        fn();
    } catch (...) {
        if (InTransaction()) sqlite3_exec(db_, "ROLLBACK TO nested; RELEASE nested", nullptr, nullptr, nullptr);
        throw;
    }
    Run("RELEASE nested");
}

bool SqliteConnection::InTransaction() const { return !sqlite3_get_autocommit(db_); }

Statement SqliteConnection::Prepare(const std::string& sql) {
    auto found = cache_.find(sql);
    if (found != cache_.end() && !found->second.busy) {
        found->second.busy = true;
        return Statement(db_, found->second.stmt, &found->second.busy);
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                           nullptr) != SQLITE_OK)
        Fail(db_, "prepare");
    if (found != cache_.end()) return Statement(db_, stmt, nullptr);  // the cached one is in use
    if (cache_.size() >= kMaxCached) {
        for (auto it = cache_.begin(); it != cache_.end();) {
            if (it->second.busy) {
                ++it;
                continue;
            }
            sqlite3_finalize(it->second.stmt);
            it = cache_.erase(it);
        }
    }
    Cached& cached = cache_[sql];
    cached.stmt = stmt;
    cached.busy = true;
    return Statement(db_, stmt, &cached.busy);
}

std::int64_t SqliteConnection::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

void SqliteConnection::CopyTo(const std::string& target, int pagesPerStep) {
    sqlite3* to = nullptr;
    const int opened = sqlite3_open_v2(target.c_str(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(to, sqlite3_close);
    if (opened != SQLITE_OK) throw StorageError("cannot make " + target);
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", db_, "main");
    if (!backup) throw StorageError("cannot copy into " + target + ": " + sqlite3_errmsg(to));
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(20);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw StorageError("copying into " + target + " failed: " + sqlite3_errstr(rc));
}

}  // namespace dalvero::server
