#pragma once
// The SQLite engine behind Storage: one database file, WAL journal with full
// sync. Reads run on pooled read-only connections, so that every server
// thread reads through one of its own; every write runs on the one write
// connection behind the write queue (write_queue.h). The planner's statistics
// are gathered when a store has none and refreshed now and then as
// connections go back to the pool.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "connection_lease.h"
#include "sql_storage.h"

namespace dalvero::server {

class SqliteConnection;
class WriteQueue;

class SqliteStorage final : public SqlStorage {
public:
    // Opens (or creates) the database file and brings its tables, indexes and
    // text indexes up to the schema. Throws StorageError. Writes queued when
    // it is destroyed are still made.
    explicit SqliteStorage(std::string path);
    ~SqliteStorage() override;
    SqliteStorage(const SqliteStorage&) = delete;
    SqliteStorage& operator=(const SqliteStorage&) = delete;

    void InTransaction(const std::function<void()>& fn) override;
    void InReadTransaction(const std::function<void()>& fn) override;
    bool HoldReadConnection() override;

    void Analyze() override;

private:
    friend class ConnectionLease<SqliteStorage, SqliteConnection>;
    using Lease = ConnectionLease<SqliteStorage, SqliteConnection>;

    void OnSession(const std::function<void(SqlSession&)>& fn) override;

    std::unique_ptr<SqliteConnection> Acquire();
    void Release(std::unique_ptr<SqliteConnection> connection);

    std::string path_;
    std::unique_ptr<SqliteConnection> writer_;
    std::unique_ptr<WriteQueue> writes_;  // after writer_: stops before it closes
    std::mutex poolMutex_;
    std::vector<std::unique_ptr<SqliteConnection>> idle_;
    std::vector<std::unique_ptr<SqliteConnection>> held_;  // threads' own, for good
    std::chrono::steady_clock::time_point lastOptimized_;  // guarded by poolMutex_
};

}  // namespace dalvero::server
