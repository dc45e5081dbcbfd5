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

#include "storage.h"

namespace dalvero::server {

class SqliteConnection;
class WriteQueue;

class SqliteStorage final : public Storage {
public:
    // Opens (or creates) the database file and brings its tables, indexes and
    // text indexes up to the schema. Throws StorageError. Writes queued when
    // it is destroyed are still made.
    explicit SqliteStorage(std::string path);
    ~SqliteStorage() override;
    SqliteStorage(const SqliteStorage&) = delete;
    SqliteStorage& operator=(const SqliteStorage&) = delete;

    bool HasTable(std::string_view table) const override;
    bool HasField(std::string_view table, int field) const override;

    std::int64_t Add(std::string_view table, const FieldValues& values) override;
    bool Update(std::string_view table, std::int64_t seq, const FieldValues& values) override;
    bool Remove(std::string_view table, std::int64_t seq) override;

    std::optional<Record> Read(std::string_view table, std::int64_t seq) override;
    std::vector<Record> ReadEach(std::string_view table, const std::vector<std::int64_t>& seqs) override;
    std::int64_t Count(std::string_view table, const std::vector<Condition>& where) override;
    std::int64_t HighestSeq(std::string_view table) override;
    std::map<std::string, std::int64_t> CountEach(std::string_view table, int field,
                                                  const std::vector<std::string>& values,
                                                  const std::vector<Condition>& where) override;
    std::vector<Record> Select(const ListRead& read) override;
    std::vector<Record> SearchText(std::string_view table, int field, std::string_view words, int limit) override;

    std::optional<StoredFile> ReadRecordFile(std::string_view table, std::int64_t seq, int slot) override;
    void WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) override;
    RecordFileBytes OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) override;

    void InTransaction(const std::function<void()>& fn) override;
    void InReadTransaction(const std::function<void()>& fn) override;

    // Gathers the planner's statistics afresh (after a bulk load). Throws
    // StorageError.
    void Analyze();

private:
    class Lease;

    // Runs fn as a write: queued, or inside the write transaction this
    // thread is in, where a write of one statement needs no savepoint.
    void Write(bool oneStatement, const std::function<void()>& fn);
    std::unique_ptr<SqliteConnection> Acquire();
    void Release(std::unique_ptr<SqliteConnection> connection);

    std::string path_;
    std::unique_ptr<SqliteConnection> writer_;
    std::unique_ptr<WriteQueue> writes_;  // after writer_: stops before it closes
    std::mutex poolMutex_;
    std::vector<std::unique_ptr<SqliteConnection>> idle_;
    std::chrono::steady_clock::time_point lastOptimized_;  // guarded by poolMutex_
};

}  // namespace dalvero::server
