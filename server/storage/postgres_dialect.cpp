#include "postgres_dialect.h"

#include <limits>

namespace dalvero::server {

namespace {

// Characters of a value its index key holds: at most four bytes each, so
// three keys and a Seq fit one index entry.
constexpr char kKeyLength[] = "128";

void BindFields(SqlBuilder& b, const schema::TableDef& table, const FieldValues& values) {
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field) {
        const auto found = values.find(field);
        b << ", " << b.Bind(found == values.end() ? std::string() : found->second);
    }
}

}  // namespace

std::string PostgresDialect::Param(int n) const { return "$" + std::to_string(n); }

std::string PostgresDialect::Folded(const std::string& expr) const { return "lower(" + expr + ")"; }

std::string PostgresDialect::IndexKey(const std::string& expr) const {
    return "lower(left(" + expr + ", " + kKeyLength + "))";
}

std::string PostgresDialect::JsonIndexKeys(const std::string& param) const {
    return std::string("(SELECT lower(left(value, ") + kKeyLength + ")) FROM jsonb_array_elements_text(CAST(" +
           param + " AS jsonb)) AS j(value))";
}

std::string PostgresDialect::Unindexed(const std::string& column) const { return column; }

std::string PostgresDialect::JsonValues(const std::string& param, bool numbers) const {
    return std::string("(SELECT ") + (numbers ? "value::bigint" : "lower(value)") +
           " FROM jsonb_array_elements_text(CAST(" + param + " AS jsonb)) AS j(value))";
}

SqlText PostgresDialect::Insert(const schema::TableDef& table, const FieldValues& values) const {
    SqlBuilder b(*this);
    b << "WITH n AS (UPDATE " << kSeqCounters << " SET last = last + 1 WHERE tbl = " << b.Bind(table.name)
      << " RETURNING last) INSERT INTO " << QuotedName(table.name) << " (seq, " << FieldColumns(table)
      << ") SELECT n.last";
    BindFields(b, table, values);
    b << " FROM n RETURNING seq";
    return b.Take();
}

SqlText PostgresDialect::InsertWithSeq(const schema::TableDef& table, const Record& record) const {
    SqlBuilder b(*this);
    b << "INSERT INTO " << QuotedName(table.name) << " (seq, " << FieldColumns(table) << ") VALUES ("
      << b.Bind(record.seq);
    BindFields(b, table, record.fields);
    b << ") RETURNING seq";
    return b.Take();
}

SqlText PostgresDialect::RaiseSeq(const schema::TableDef& table, std::int64_t seq) const {
    SqlBuilder b(*this);
    b << "UPDATE " << kSeqCounters << " SET last = greatest(last, " << b.Bind(seq);
    b << ") WHERE tbl = " << b.Bind(table.name);
    return b.Take();
}

SqlText PostgresDialect::HighestSeq(const schema::TableDef& table) const {
    SqlBuilder b(*this);
    b << "SELECT last FROM " << kSeqCounters << " WHERE tbl = " << b.Bind(table.name);
    return b.Take();
}

std::string PostgresDialect::TextVector(const schema::TableDef& table, const std::string& prefix) {
    return "to_tsvector('simple'::regconfig, " + prefix + ColumnName(table.textSearchField) + ")";
}

std::optional<SqlText> PostgresDialect::SearchText(const schema::TableDef& table, std::string_view words,
                                                   int limit) const {
    // Each word a prefix term; the words hold letters and digits only.
    std::string query;
    for (const std::string& word : SearchWords(words)) query += (query.empty() ? "" : " & ") + word + ":*";
    if (query.empty()) return std::nullopt;
    SqlBuilder b(*this);
    const std::string match = "to_tsquery('simple'::regconfig, " + b.Bind(query) + ")";
    const std::string vector = TextVector(table, "t.");
    b << "SELECT " << SelectColumns(table, "t.") << " FROM " << QuotedName(table.name) << " t WHERE " << vector
      << " @@ " << match << " ORDER BY ts_rank(" << vector << ", " << match << ") DESC, t.seq LIMIT "
      << b.Bind(limit < 0 ? std::numeric_limits<std::int64_t>::max() : std::int64_t{limit});
    return b.Take();
}

}  // namespace dalvero::server
