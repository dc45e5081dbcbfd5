#pragma once
// One SQLite connection with its prepared statements kept for reuse. Used by
// one thread at a time (the storage hands connections out from a pool).

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace dalvero::server {

// A prepared statement in use. It is reset when it goes out of scope, so a
// half-read query never pins an old snapshot of the database.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt, bool* busy);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    // Parameters count from 1, as in SQLite.
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::int64_t value);
    Statement& BindBlob(int index, std::string_view bytes);

    // True while a result row is ready; false when done.
    bool Step();
    void Run();

    std::string Text(int column) const;
    // The column's bytes, valid until the next step.
    std::string_view View(int column) const;
    std::int64_t Int(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
    bool* busy_;  // the cache's in-use mark; null for a statement of its own
};

class SqliteConnection {
public:
    explicit SqliteConnection(const std::string& path);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void Execute(const std::string& sql);
    // One statement, prepared once and kept: for the transaction statements
    // every request runs.
    void Run(const std::string& sql);
    // Ends an open transaction, if SQLite has not already ended it itself.
    void Rollback() noexcept;
    // Runs fn inside the open transaction; when fn throws, its writes alone
    // are undone and the exception passes on.
    void InSavepoint(const std::function<void()>& fn);
    // False once SQLite has ended the transaction, also on its own after a
    // failure such as a full disk.
    bool InTransaction() const;
    Statement Prepare(const std::string& sql);
    std::int64_t LastInsertId() const;

    int transactionDepth = 0;  // of a read snapshot
    bool readOnly = false;  // the open transaction is a read snapshot

private:
    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        bool busy = false;
    };
    sqlite3* db_ = nullptr;
    std::map<std::string, Cached, std::less<>> cache_;
};

}  // namespace dalvero::server
