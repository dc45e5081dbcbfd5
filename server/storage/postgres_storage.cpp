#include "postgres_storage.h"

#include <algorithm>

#include "postgres_connection.h"
#include "postgres_dialect.h"
#include "postgres_schema.h"

namespace dalvero::server {

namespace {

const PostgresDialect kDialect;

// Transactions and savepoints begin and end held back (Defer), so they
// cost no round trip of their own: they go out with the first statement
// inside them, or with the one after them. One that nothing ran in never
// reaches the server at all.
constexpr char kBegin[] = "BEGIN";
constexpr char kBeginRead[] = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
// The one lock every write transaction of every server takes first.
constexpr char kWriteLock[] = "SELECT pg_advisory_xact_lock(4682002)";

// Ends the transaction begun with `begin`, whatever state the connection
// is in; a broken connection is dropped when it goes back to the pool.
void RollBack(PostgresConnection& connection, const char* begin) noexcept {
    if (connection.Withdraw(begin)) return;
    try {
        connection.Execute("ROLLBACK");
    } catch (const StorageError&) {
    }
}

}  // namespace

PostgresStorage::PostgresStorage(std::string dsn, std::string password, int connections)
    : SqlStorage(kDialect), dsn_(std::move(dsn)), password_(std::move(password)),
      maxConnections_(std::max(1, connections)) {
    Lease lease(*this);
    ApplyPostgresSchema(*lease);
}

PostgresStorage::~PostgresStorage() = default;

std::unique_ptr<PostgresConnection> PostgresStorage::Acquire() {
    std::unique_lock lock(poolMutex_);
    returned_.wait(lock, [this] { return !idle_.empty() || open_ < maxConnections_; });
    if (!idle_.empty()) {
        auto connection = std::move(idle_.back());
        idle_.pop_back();
        return connection;
    }
    ++open_;
    lock.unlock();
    try {
        return std::make_unique<PostgresConnection>(dsn_, password_);
    } catch (...) {
        lock.lock();
        --open_;
        returned_.notify_one();
        throw;
    }
}

void PostgresStorage::Release(std::unique_ptr<PostgresConnection> connection) {
    // A connection the database dropped (a restart, a fail-over) is not lent
    // again: the next borrower connects afresh.
    const bool reusable = connection->Reusable();
    if (!reusable) connection.reset();
    std::lock_guard lock(poolMutex_);
    if (reusable)
        idle_.push_back(std::move(connection));
    else
        --open_;
    returned_.notify_one();
}

void PostgresStorage::OnSession(const std::function<void(SqlSession&)>& fn) {
    Lease lease(*this);
    fn(*lease);
}

void PostgresStorage::InTransaction(const std::function<void()>& fn) {
    Lease lease(*this);
    PostgresConnection& connection = *lease;
    if (connection.transactionDepth > 0) {
        // A write cannot join a read snapshot: another writer may have moved
        // on since it was taken.
        if (connection.readOnly) throw StorageError("a write inside a read transaction");
        const std::string name = "s" + std::to_string(connection.transactionDepth);
        const std::string savepoint = "SAVEPOINT " + name;
        connection.Defer(savepoint);
        ++connection.transactionDepth;
        try {
            fn();
        } catch (...) {
            --connection.transactionDepth;
            if (!connection.Withdraw(savepoint)) {
                try {
                    connection.Execute("ROLLBACK TO SAVEPOINT " + name + "; RELEASE SAVEPOINT " + name);
                } catch (const StorageError&) {
                }
            }
            throw;
        }
        --connection.transactionDepth;
        if (!connection.Withdraw(savepoint)) connection.Defer("RELEASE SAVEPOINT " + name);
        return;
    }
    connection.Defer(kBegin);
    connection.Defer(kWriteLock);
    connection.transactionDepth = 1;
    try {
        fn();
        connection.transactionDepth = 0;
        if (connection.Withdraw(kBegin)) return;
        // One round trip: a failed counter update skips the COMMIT, and
        // the transaction is rolled back below.
        connection.Execute(PostgresDialect::KeepTakenSeqs() + "; COMMIT");
    } catch (...) {
        connection.transactionDepth = 0;
        RollBack(connection, kBegin);
        throw;
    }
}

void PostgresStorage::InReadTransaction(const std::function<void()>& fn) {
    Lease lease(*this);
    PostgresConnection& connection = *lease;
    // Inside a snapshot already, or inside a write transaction, which sees
    // one state of the store too: no other server writes while it runs.
    if (connection.transactionDepth > 0) return fn();
    connection.Defer(kBeginRead);
    connection.transactionDepth = 1;
    connection.readOnly = true;
    // Nothing was written: ending the snapshot is all there is to do, also
    // when fn throws.
    struct Snapshot {
        PostgresConnection& connection;
        ~Snapshot() {
            connection.readOnly = false;
            connection.transactionDepth = 0;
            RollBack(connection, kBeginRead);
        }
    } snapshot{connection};
    fn();
}

void PostgresStorage::Restore(std::string_view table, const std::vector<Record>& records) {
    const schema::TableDef& def = schema::RequireTable(table);
    InTransaction([&] {
        OnSession([&](SqlSession& session) {
            for (const Record& record : records) {
                session.Run(kDialect.InsertWithSeq(def, record));
                for (const auto& [field, value] : record.fields)
                    if (field > 1000) session.Run(sql::WriteNote(kDialect, def, record.seq, field, value));
                WriteSeqSet(session, def, record.seq, record.fields, false);
            }
        });
    });
}

void PostgresStorage::KeepSeqsUpTo(std::string_view table, std::int64_t seq) {
    const schema::TableDef& def = schema::RequireTable(table);
    InTransaction([&] { OnSession([&](SqlSession& session) { session.Run(kDialect.RaiseSeq(def, seq)); }); });
}

void PostgresStorage::Analyze() {
    Lease lease(*this);
    (*lease).Execute("ANALYZE");
}

}  // namespace dalvero::server
