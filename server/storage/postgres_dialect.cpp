#include "postgres_dialect.h"

#include <limits>

namespace dalvero::server {

namespace {

// Characters of a value its index key holds: at most four bytes each, so
// three keys and a Seq fit one index entry.
constexpr char kKeyLength[] = "128";

// The Seqs a write transaction takes are counted in a setting of its own
// (set_config with is_local), not in the counter row: every update of one
// row leaves a version that the next update of it walks past, so a
// transaction of many inserts would cost the square of their number. The
// setting goes with the transaction and is undone with a rolled back
// savepoint, as the row's update was; KeepTakenSeqs writes it to the row
// once, before the commit. Writers take the write lock before anything
// else, so the row read on the first insert is the newest, and no other
// server writes it until this transaction ends. Evaluated over a row of the
// counter table, this is the last Seq the table gave out, as this
// transaction sees it.
constexpr char kTakenName[] = "'dalvero_seq.' || tbl";
constexpr char kTaken[] = "coalesce(nullif(current_setting('dalvero_seq.' || tbl, true), '')::bigint, last)";

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
    b << "WITH n AS (SELECT set_config(" << kTakenName << ", (" << kTaken << " + 1)::text, true)::bigint AS seq FROM "
      << kSeqCounters << " WHERE tbl = " << b.Bind(table.name) << ") INSERT INTO " << QuotedName(table.name)
      << " (seq, " << FieldColumns(table) << ") SELECT n.seq";
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
    b << "SELECT set_config(" << kTakenName << ", greatest(" << kTaken << ", " << b.Bind(seq) << ")::text, true) FROM "
      << kSeqCounters << " WHERE tbl = " << b.Bind(table.name);
    return b.Take();
}

SqlText PostgresDialect::HighestSeq(const schema::TableDef& table) const {
    SqlBuilder b(*this);
    b << "SELECT " << kTaken << " FROM " << kSeqCounters << " WHERE tbl = " << b.Bind(table.name);
    return b.Take();
}

std::string PostgresDialect::KeepTakenSeqs() {
    return std::string("UPDATE ") + kSeqCounters + " SET last = " + kTaken + " WHERE " + kTaken + " > last";
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
