#pragma once
// The SQL text of the store's statements, built once for every engine. What
// differs between engines (how a bound value is written, how text compares
// without letter case, how a list of values is bound, how a new Seq is
// taken, the text search) is asked of a SqlDialect; the rest is shared.
// Values are always bound, never part of the text; identifiers come only
// from the schema.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "schema.h"

namespace dalvero::server {

// Bytes bound as a binary value (record file contents).
struct SqlBlob {
    std::string_view bytes;
};
using SqlValue = std::variant<std::string, std::int64_t, SqlBlob>;

// A statement's text with the values it binds, in parameter order.
struct SqlText {
    std::string sql;
    std::vector<SqlValue> values;
};

inline constexpr char kNotesTable[] = "record_notes";
inline constexpr char kFilesTable[] = "record_files";
// The membership words of every stored Seq set (seq_set.h): one row per
// record and bucket, kept by record and indexed by bucket, so that a Seq's
// holders are one look-up.
inline constexpr char kSeqSetsTable[] = "record_seq_sets";

std::string QuotedName(const std::string& name);
// "seq" for the Seq, "fN" for a stored field.
std::string ColumnName(int field);

class SqlDialect;

// Appends text and parameters to one statement.
class SqlBuilder {
public:
    explicit SqlBuilder(const SqlDialect& dialect) : dialect_(dialect) {}

    SqlBuilder& operator<<(std::string_view text) {
        text_.sql += text;
        return *this;
    }
    // The placeholder of a newly bound value.
    std::string Bind(SqlValue value);
    SqlText Take() { return std::move(text_); }
    const SqlDialect& Dialect() const { return dialect_; }

private:
    const SqlDialect& dialect_;
    SqlText text_;
};

class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    // The n-th bound value's placeholder (from 1).
    virtual std::string Param(int n) const = 0;
    // A text column or expression as it compares, sorts and groups: letter
    // case aside (ASCII letters only, as the client compares them).
    virtual std::string Folded(const std::string& expr) const = 0;
    // Where an engine cannot index whole values of any length: the short
    // key of a text column or bound value that its indexes hold, ordered and
    // compared as Folded values are as far as it reaches; the statements
    // then compare and order by it before the whole value. Empty when the
    // engine indexes the Folded column itself.
    virtual std::string IndexKey(const std::string&) const { return {}; }
    // The index keys of a bound JSON array's text elements, as a subquery.
    virtual std::string JsonIndexKeys(const std::string&) const { return {}; }
    // A column a condition only filters on, hidden from the planner's choice
    // of index where the engine allows it.
    virtual std::string Unindexed(const std::string& column) const = 0;
    // The elements of a bound JSON array, as a subquery "IN" can use; text
    // elements compare as Folded columns do.
    virtual std::string JsonValues(const std::string& param, bool numbers) const = 0;
    // An insert of the fields that returns the new record's Seq (a column
    // "seq"); Seqs are never given out twice.
    virtual SqlText Insert(const schema::TableDef& table, const FieldValues& values) const = 0;
    // One row, one column: the highest Seq the table ever gave out, or none.
    virtual SqlText HighestSeq(const schema::TableDef& table) const = 0;
    // The records whose text field holds every word (prefixes too), best
    // first, read with SelectColumns(table, "t."); none when words has none.
    virtual std::optional<SqlText> SearchText(const schema::TableDef& table, std::string_view words,
                                              int limit) const = 0;
};

// "seq, f2, ..., fN" with an optional table prefix.
std::string SelectColumns(const schema::TableDef& table, const std::string& prefix = {});
// "f2, f3, ..., fN": every stored field but the Seq.
std::string FieldColumns(const schema::TableDef& table);
// The columns of a list's index: equality terms first, then the order, then
// what is only filtered (an open list's "not closed"), so the index hands the
// rows over already in list order and counts them without visiting the
// table. Empty when the list needs none.
std::string ListIndexColumns(const SqlDialect& dialect, const schema::ListDef& list);
// The words of a text search: runs of letters and digits (any byte above
// ASCII counts as a letter), so no user text is read as query syntax.
std::vector<std::string> SearchWords(std::string_view words);

// The statements every engine runs alike.
namespace sql {
SqlText Read(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq);
SqlText ReadEach(const SqlDialect& dialect, const schema::TableDef& table, const std::vector<std::int64_t>& seqs);
SqlText Exists(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq);
SqlText Count(const SqlDialect& dialect, const schema::TableDef& table, const std::vector<Condition>& where);
SqlText CountEach(const SqlDialect& dialect, const schema::TableDef& table, int field,
                  const std::vector<std::string>& values, const std::vector<Condition>& where);
SqlText Select(const SqlDialect& dialect, const schema::TableDef& table, const ListRead& read);
// Select's rows as the Seq and then `fields` (stored fields and notes), one
// column each in that order. Throws StorageError for a field the table lacks.
SqlText SelectFields(const SqlDialect& dialect, const schema::TableDef& table, const ListRead& read,
                     const std::vector<int>& fields);
SqlText Notes(const SqlDialect& dialect, const schema::TableDef& table, const std::vector<std::int64_t>& seqs);
// Writes (or, for an empty value, removes) one note.
SqlText WriteNote(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq, int note,
                  const std::string& value);
// Empty when values hold notes only.
std::optional<SqlText> Update(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq,
                              const FieldValues& values);
// The membership rows of a record's Seq set, each statement adding up to a
// few hundred; replacing, the first removes those the record had. Throws
// StorageError when the text is no Seq set.
std::vector<SqlText> WriteSeqSet(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq,
                                 const std::string& text, bool replacing);
// The stored membership words of records firstSeq..lastSeq: seq, bucket,
// bits, in that order.
SqlText SeqSetWords(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t firstSeq,
                    std::int64_t lastSeq);
// The record and what hangs beside it (notes, files, its Seq set's words).
std::vector<SqlText> Remove(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq);
SqlText ReadFile(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq, int slot);
SqlText WriteFile(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq, int slot,
                  const Storage::StoredFile& file);
SqlText OtherFileBytes(const SqlDialect& dialect, const schema::TableDef& table, std::int64_t seq, int slot);
}  // namespace sql

// A JSON array of the values, bound as one parameter whatever their number.
std::string JsonArray(const std::vector<std::string>& values);
std::string JsonArray(const std::vector<std::int64_t>& values);

}  // namespace dalvero::server
