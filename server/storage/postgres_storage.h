#pragma once
// The PostgreSQL engine behind Storage, for a hospital group or a hosted
// service whose database cluster several servers share. Connections are
// lent from a pool, one to a thread at a time. Every write transaction first
// takes one cluster-wide lock, so writes of all servers on the database run
// one after another, as the single writer of the SQLite engine runs them:
// what a write reads (the audit trail's last row, a count it checks) is what
// it builds on. Read snapshots run at REPEATABLE READ and never wait for it.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "connection_lease.h"
#include "sql_storage.h"

namespace dalvero::server {

class PostgresConnection;

class PostgresStorage final : public SqlStorage {
public:
    // Connects (dsn: a libpq connection string; password: empty for libpq's
    // environment) and brings the database up to the schema. At most
    // `connections` are open at once; more callers wait for one. Throws
    // StorageError.
    PostgresStorage(std::string dsn, std::string password, int connections = 16);
    ~PostgresStorage() override;
    PostgresStorage(const PostgresStorage&) = delete;
    PostgresStorage& operator=(const PostgresStorage&) = delete;

    void InTransaction(const std::function<void()>& fn) override;
    void InReadTransaction(const std::function<void()>& fn) override;

    // Adds records under their own Seqs, notes included, in one transaction
    // (copying a store whole). Throws StorageError.
    void Restore(std::string_view table, const std::vector<Record>& records);
    // Raises the table's counter to at least seq: Seqs given out and deleted
    // in the store copied from stay used.
    void KeepSeqsUpTo(std::string_view table, std::int64_t seq);
    void Analyze() override;

private:
    friend class ConnectionLease<PostgresStorage, PostgresConnection>;
    using Lease = ConnectionLease<PostgresStorage, PostgresConnection>;

    void OnSession(const std::function<void(SqlSession&)>& fn) override;
    std::unique_ptr<PostgresConnection> Acquire();
    void Release(std::unique_ptr<PostgresConnection> connection);

    std::string dsn_;
    std::string password_;
    int maxConnections_;
    std::mutex poolMutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<PostgresConnection>> idle_;
    int open_ = 0;  // lent out and idle together
};

}  // namespace dalvero::server
