#pragma once
// One libpq connection with its prepared statements kept for reuse, used by
// one thread at a time (the storage lends connections out from a pool).
// Values travel as parameters: text as text, Seqs as bigint, file contents
// as binary bytea.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sql_storage.h"

struct pg_conn;

namespace dalvero::server {

class PostgresConnection final : public SqlSession {
public:
    // Connects with the libpq connection string and, when not empty, the
    // password (else libpq's PGPASSWORD or PGPASSFILE). Throws StorageError
    // with libpq's reason, which never holds the password.
    PostgresConnection(const std::string& dsn, const std::string& password);
    ~PostgresConnection() override;
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    std::unique_ptr<SqlRows> Query(const SqlText& statement) override;
    // Runs statements without parameters (several, separated by ";").
    void Execute(const std::string& sql);
    // Holds back a statement whose answer nothing waits for (BEGIN,
    // SAVEPOINT, RELEASE SAVEPOINT): it goes out ahead of the next statement,
    // in the same round trip, and its failure is that statement's.
    void Defer(std::string statement);
    // Forgets the newest held-back copy of statement and everything held
    // back after it: true when it had not gone out, so there is nothing to
    // undo on the server. When it has gone out, forgets everything held
    // back (all of it came after it) and returns false.
    bool Withdraw(const std::string& statement) noexcept;
    // Whether the connection still works, holds no transaction and nothing
    // held back, so it may serve the next borrower.
    bool Reusable() const;
    // "user@host:port/database" of a connection string, read without
    // connecting, for the log; whatever else it says (a password among it)
    // is left out.
    static std::string DescribeDsn(const std::string& dsn);

    int transactionDepth = 0;  // 0: none open; more: savepoints inside it
    bool readOnly = false;     // the open transaction is a read snapshot

private:
    pg_conn* conn_ = nullptr;
    std::vector<std::string> deferred_;  // held back, oldest first
    std::map<std::string, std::string, std::less<>> prepared_;  // statement text and types: its name
};

}  // namespace dalvero::server
