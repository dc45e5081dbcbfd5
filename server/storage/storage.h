#pragma once
// The servers' record store. Protocol and command code speak only this
// interface; the SQL lives in the engine behind it, so a second engine can be
// added without touching them.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::server {

// A record's values by field number: 2-9 record keeping, 10 and up the
// table's own fields, above 1000 the record's notes (1001 is note 1). The
// Seq (field 1) is kept apart, in Record::seq.
using FieldValues = std::map<int, std::string>;

struct Record {
    std::int64_t seq = 0;
    FieldValues fields;  // every stored, non-empty field

    bool operator==(const Record&) const = default;

    // A field's stored text; empty when the record does not hold it.
    std::string Field(int field) const {
        const auto found = fields.find(field);
        return found == fields.end() ? std::string() : found->second;
    }
};

enum class CompareOp { Equal, NotEqual, AtLeast, AtMost, StartsWith, OneOf };

// One condition on a field. Empty stored fields compare as empty text; text
// compares without regard to ASCII letter case (and orders the same way); the
// Seq compares as a number; asDate compares "yyyymmdd..." values by their
// date part. OneOf holds when the field equals any of `values` (none: no
// record), so a set of parents' children is read in one statement. Notes
// cannot be conditions or order terms.
struct Condition {
    int field = 0;  // 1 means the Seq
    CompareOp op = CompareOp::Equal;
    std::string value;
    bool asDate = false;
    std::vector<std::string> values = {};  // OneOf only
};

// A read of one list: the records that meet every condition, in the order of
// orderBy (ascending, with the Seq as the last tie-break; every term from
// highest to lowest when descending), read forward or backward from the given
// offset in reading direction.
struct ListRead {
    std::string table;
    std::vector<Condition> where;
    std::vector<int> orderBy;
    bool descending = false;
    bool backward = false;
    std::int64_t offset = 0;
    std::int64_t limit = -1;  // -1: no limit
};

// One row of a list read, its fields read in place: valid only inside the
// call that hands it over.
class RowView {
public:
    virtual ~RowView() = default;
    virtual std::int64_t Seq() const = 0;
    // A field's stored text (2 and up, notes too); empty when not stored or
    // not read.
    virtual std::string_view Field(int field) const = 0;
};

// A whole record seen as a row.
class RecordRow final : public RowView {
public:
    explicit RecordRow(const Record& record) : record_(record) {}
    std::int64_t Seq() const override { return record_.seq; }
    std::string_view Field(int field) const override {
        const auto found = record_.fields.find(field);
        return found == record_.fields.end() ? std::string_view() : std::string_view(found->second);
    }

private:
    const Record& record_;
};

// Takes one row of a read; false stops the read.
using RowVisitor = std::function<bool(const RowView&)>;

class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Storage {
public:
    virtual ~Storage() = default;

    virtual bool HasTable(std::string_view table) const = 0;
    // Whether the table keeps field number `field` (1, record keeping, own
    // fields and notes alike).
    virtual bool HasField(std::string_view table, int field) const = 0;

    // Writes throw StorageError for unknown tables or fields; an acknowledged
    // write is durable.
    virtual std::int64_t Add(std::string_view table, const FieldValues& values) = 0;
    // Empty values clear fields. False when there is no such record.
    virtual bool Update(std::string_view table, std::int64_t seq, const FieldValues& values) = 0;
    virtual bool Remove(std::string_view table, std::int64_t seq) = 0;

    virtual std::optional<Record> Read(std::string_view table, std::int64_t seq) = 0;
    // The records among seqs that exist, in Seq order, read in one go (a
    // page's joined records).
    virtual std::vector<Record> ReadEach(std::string_view table, const std::vector<std::int64_t>& seqs) = 0;
    virtual std::int64_t Count(std::string_view table, const std::vector<Condition>& where) = 0;
    // The highest Seq the table has ever given out (0: none), deleted records
    // included: Seqs are never given out twice.
    virtual std::int64_t HighestSeq(std::string_view table) = 0;
    // For each of values that some record holds in `field`: how many records
    // with that value meet `where`, counted in one go. Values no record meets
    // are left out; text compares as in conditions.
    virtual std::map<std::string, std::int64_t> CountEach(std::string_view table, int field,
                                                          const std::vector<std::string>& values,
                                                          const std::vector<Condition>& where) = 0;
    virtual std::vector<Record> Select(const ListRead& read) = 0;
    // The records of Select, handed to `each` one by one as they are read,
    // with `fields` read (stored fields and notes) and the others empty: a
    // page is formatted without a copy of any value. `each` must not call
    // the store.
    virtual void SelectEach(const ListRead& read, const std::vector<int>& fields, const RowVisitor& each) = 0;
    // Records whose text field holds every word of `words` (whole words or
    // word prefixes, letter case ignored), best matches first.
    virtual std::vector<Record> SearchText(std::string_view table, int field, std::string_view words,
                                           int limit) = 0;

    // Files attached to a record (slot 1 of a hospital is its logo).
    struct StoredFile {
        std::string content;
        std::int32_t fileDate = 0;  // seconds since the Unix epoch
    };
    virtual std::optional<StoredFile> ReadRecordFile(std::string_view table, std::int64_t seq, int slot) = 0;
    virtual void WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) = 0;
    // Bytes held by record files other than the given slot: those of the
    // same record, and those of all records.
    struct RecordFileBytes {
        std::uint64_t record = 0;
        std::uint64_t total = 0;
    };
    virtual RecordFileBytes OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) = 0;

    // Runs fn as one transaction: all of its writes land, or none.
    virtual void InTransaction(const std::function<void()>& fn) = 0;
    // Runs fn, which only reads, on one snapshot of the store: every read
    // inside sees the same state. A write inside throws StorageError.
    virtual void InReadTransaction(const std::function<void()>& fn) = 0;
};

}  // namespace dalvero::server
