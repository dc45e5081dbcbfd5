#include "sqlite_dialect.h"

#include "sqlite_schema.h"

namespace dalvero::server {

std::string SqliteDialect::Param(int n) const { return "?" + std::to_string(n); }

// The columns' NOCASE collation does the folding, also against bound values.
std::string SqliteDialect::Folded(const std::string& expr) const { return expr; }

// A unary "+" keeps a column's collation but hides it from indexes.
std::string SqliteDialect::Unindexed(const std::string& column) const { return "+" + column; }

std::string SqliteDialect::JsonValues(const std::string& param, bool) const {
    return "(SELECT value FROM json_each(" + param + "))";
}

SqlText SqliteDialect::Insert(const schema::TableDef& table, const FieldValues& values) const {
    SqlBuilder b(*this);
    b << "INSERT INTO " << QuotedName(table.name) << " (" << FieldColumns(table) << ") VALUES (";
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field) {
        const auto found = values.find(field);
        b << (field == schema::kFirstRecordKeeping ? "" : ", ");
        b << b.Bind(found == values.end() ? std::string() : found->second);
    }
    b << ") RETURNING seq";
    return b.Take();
}

SqlText SqliteDialect::HighestSeq(const schema::TableDef& table) const {
    SqlBuilder b(*this);
    b << "SELECT seq FROM sqlite_sequence WHERE name = " << b.Bind(table.name);
    return b.Take();
}

std::optional<SqlText> SqliteDialect::SearchText(const schema::TableDef& table, std::string_view words,
                                                 int limit) const {
    // Each word a quoted prefix term.
    std::string match;
    for (const std::string& word : SearchWords(words)) match += (match.empty() ? "\"" : " \"") + word + "\"*";
    if (match.empty()) return std::nullopt;
    const std::string index = QuotedName(TextIndexName(table));
    SqlBuilder b(*this);
    b << "SELECT " << SelectColumns(table, "t.") << " FROM " << index << " JOIN " << QuotedName(table.name)
      << " t ON t.seq = " << index << ".rowid WHERE " << index << " MATCH " << b.Bind(match);
    b << " ORDER BY " << index << ".rank, t.seq LIMIT " << b.Bind(std::int64_t{limit < 0 ? -1 : limit});
    return b.Take();
}

}  // namespace dalvero::server
