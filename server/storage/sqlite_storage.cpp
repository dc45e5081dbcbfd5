#include "sqlite_storage.h"

#include <algorithm>
#include <chrono>
#include <variant>

#include "sqlite_connection.h"
#include "sqlite_dialect.h"
#include "sqlite_schema.h"
#include "write_queue.h"

namespace dalvero::server {

namespace {

// How often a connection going back to the pool refreshes the planner's
// statistics.
constexpr auto kOptimizeEvery = std::chrono::hours(1);

// The shared statements on one connection: values bound by their number.
class SqliteRows final : public SqlRows {
public:
    explicit SqliteRows(Statement statement) : statement_(std::move(statement)) {}
    bool Next() override { return statement_.Step(); }
    std::string Text(int column) const override { return statement_.Text(column); }
    std::string_view View(int column) const override { return statement_.View(column); }
    std::int64_t Int(int column) const override { return statement_.Int(column); }

private:
    Statement statement_;
};

class SqliteSession final : public SqlSession {
public:
    explicit SqliteSession(SqliteConnection& connection) : connection_(connection) {}

    std::unique_ptr<SqlRows> Query(const SqlText& text) override {
        Statement statement = connection_.Prepare(text.sql);
        int index = 1;
        for (const SqlValue& value : text.values) {
            if (const auto* blob = std::get_if<SqlBlob>(&value))
                statement.BindBlob(index++, blob->bytes);
            else if (const auto* number = std::get_if<std::int64_t>(&value))
                statement.Bind(index++, *number);
            else
                statement.Bind(index++, std::get<std::string>(value));
        }
        return std::make_unique<SqliteRows>(std::move(statement));
    }

private:
    SqliteConnection& connection_;
};

const SqliteDialect kDialect;

}  // namespace

SqliteStorage::SqliteStorage(std::string path) : SqlStorage(kDialect), path_(std::move(path)) {
    writer_ = std::make_unique<SqliteConnection>(path_);
    ApplySchema(*writer_);
    // Without statistics the planner may walk a whole hospital's cases to
    // find one patient's; a store that never had them gets them now.
    if (!writer_->Prepare("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_stat1'").Step()) writer_->Execute("ANALYZE");
    lastOptimized_ = std::chrono::steady_clock::now();
    // Calls made inside a queued transaction run on the write connection.
    writes_ = std::make_unique<WriteQueue>(*writer_, [this] { Lease::Adopt(*this, writer_.get()); });
}

void SqliteStorage::Analyze() {
    InTransaction([this] { writer_->Execute("ANALYZE"); });
}

SqliteStorage::~SqliteStorage() = default;

std::unique_ptr<SqliteConnection> SqliteStorage::Acquire() {
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            auto connection = std::move(idle_.back());
            idle_.pop_back();
            return connection;
        }
    }
    auto connection = std::make_unique<SqliteConnection>(path_);
    // A write that bypassed the queue would fail here rather than wait on
    // the write lock.
    connection->Execute("PRAGMA query_only=1");
    return connection;
}

void SqliteStorage::Release(std::unique_ptr<SqliteConnection> connection) {
    std::unique_lock lock(poolMutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastOptimized_ >= kOptimizeEvery) {
        lastOptimized_ = now;
        lock.unlock();
        // Statistics follow the data as it grows. They are written, so on
        // the write connection; the limit keeps a large table's analysis
        // short, and a failure simply tries again next time.
        try {
            InTransaction([this] { writer_->Execute("PRAGMA analysis_limit=1000; ANALYZE; PRAGMA analysis_limit=0;"); });
        } catch (const StorageError&) {
        }
        lock.lock();
    }
    idle_.push_back(std::move(connection));
}

void SqliteStorage::OnSession(const std::function<void(SqlSession&)>& fn) {
    Lease lease(*this);
    SqliteSession session(*lease);
    fn(session);
}

void SqliteStorage::InTransaction(const std::function<void()>& fn) {
    if (SqliteConnection* held = Lease::Held(*this)) {
        // A write cannot join a read snapshot: another writer may have moved
        // on since it was taken.
        if (held->readOnly) throw StorageError("a write inside a read transaction");
        if (held == writer_.get()) {
            // Already inside a queued transaction, on the writer thread.
            writer_->InSavepoint(fn);
            return;
        }
    }
    writes_->Run(fn);
}

void SqliteStorage::InReadTransaction(const std::function<void()>& fn) {
    Lease lease(*this);
    SqliteConnection& connection = *lease;
    // Inside a snapshot already, or inside a queued write transaction, which
    // sees one state of the store too.
    if (connection.transactionDepth > 0 || connection.InTransaction()) return fn();
    connection.Execute("BEGIN");
    ++connection.transactionDepth;
    connection.readOnly = true;
    auto end = [&connection] {
        connection.readOnly = false;
        --connection.transactionDepth;
        connection.Rollback();  // nothing was written: ending it is all there is to do
    };
    try {
        fn();
    } catch (...) {
        end();
        throw;
    }
    end();
}

}  // namespace dalvero::server
