#pragma once
// What the SQL engines share behind Storage: every read and write as the
// statements of sql_text.h, run on the connection the engine hands out. An
// engine supplies its dialect, its connections and its transactions.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "sql_text.h"
#include "storage.h"

namespace dalvero::server {

// A statement's result rows, read forward once.
class SqlRows {
public:
    virtual ~SqlRows() = default;
    // True while a row is ready; false when done.
    virtual bool Next() = 0;
    // A column's text, or a binary column's bytes.
    virtual std::string Text(int column) const = 0;
    // A text column's bytes in place, valid until Next().
    virtual std::string_view View(int column) const = 0;
    virtual std::int64_t Int(int column) const = 0;
};

// An engine's connection as the shared code uses it. Failures throw
// StorageError.
class SqlSession {
public:
    virtual ~SqlSession() = default;
    virtual std::unique_ptr<SqlRows> Query(const SqlText& statement) = 0;
    void Run(const SqlText& statement) {
        const auto rows = Query(statement);
        while (rows->Next()) {
        }
    }
};

class SqlStorage : public Storage {
public:
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
    void SelectEach(const ListRead& read, const std::vector<int>& fields, const RowVisitor& each) override;
    std::vector<Record> SearchText(std::string_view table, int field, std::string_view words, int limit) override;

    std::optional<StoredFile> ReadRecordFile(std::string_view table, std::int64_t seq, int slot) override;
    void WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) override;
    RecordFileBytes OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) override;

    // The slots of every record file, for copying a store whole.
    struct FileSlot {
        std::string table;
        std::int64_t seq = 0;
        int slot = 0;
    };
    std::vector<FileSlot> RecordFileSlots();
    // The membership words stored for the Seq sets of records
    // firstSeq..lastSeq (by record: bucket -> bits), as SeqSetWords makes
    // them of each record's set.
    std::map<std::int64_t, std::map<std::int64_t, std::int64_t>> StoredSeqSetWords(std::string_view table,
                                                                                    std::int64_t firstSeq,
                                                                                    std::int64_t lastSeq);
    // Whether no table has given out a Seq yet.
    bool IsEmpty();
    // Gathers the planner's statistics afresh (after a bulk load). Throws
    // StorageError.
    virtual void Analyze() = 0;

protected:
    explicit SqlStorage(const SqlDialect& dialect) : dialect_(dialect) {}

    // Runs fn on the calling thread's connection: that of its open
    // transaction, else one lent for the call.
    virtual void OnSession(const std::function<void(SqlSession&)>& fn) = 0;

    const SqlDialect& Dialect() const { return dialect_; }
    std::vector<Record> ReadRows(SqlSession& session, const schema::TableDef& table, const SqlText& statement);
    // Keeps the membership rows of a record's Seq set in step with the field,
    // when values hold it; replacing those of a record written before.
    void WriteSeqSet(SqlSession& session, const schema::TableDef& table, std::int64_t seq, const FieldValues& values,
                     bool replacing) const;

private:
    const SqlDialect& dialect_;
};

}  // namespace dalvero::server
