#include "sql_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <map>

#include "seq_set.h"
#include "whole_number.h"

namespace dalvero::server {

using schema::TableDef;

std::string QuotedName(const std::string& name) { return '"' + name + '"'; }

std::string ColumnName(int field) { return field == 1 ? "seq" : "f" + std::to_string(field); }

std::string SqlBuilder::Bind(SqlValue value) {
    text_.values.push_back(std::move(value));
    return dialect_.Param(static_cast<int>(text_.values.size()));
}

std::string SelectColumns(const TableDef& table, const std::string& prefix) {
    std::string columns = prefix + "seq";
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
        columns += ", " + prefix + ColumnName(field);
    return columns;
}

std::string FieldColumns(const TableDef& table) {
    std::string columns;
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
        columns += (columns.empty() ? "" : ", ") + ColumnName(field);
    return columns;
}

std::string ListIndexColumns(const SqlDialect& dialect, const schema::ListDef& list) {
    std::vector<int> fields;
    auto add = [&fields](int field) {
        if (field > 1 && std::find(fields.begin(), fields.end(), field) == fields.end()) fields.push_back(field);
    };
    if (list.match != schema::KeyMatch::Ignored) add(list.keyField);
    add(list.ownerField);
    for (const Condition& condition : list.fixed)
        if (condition.op == CompareOp::Equal) add(condition.field);
    for (int field : list.orderBy) add(field);
    const std::size_t ordered = fields.size();
    for (const Condition& condition : list.fixed) add(condition.field);
    std::string columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        // The Seq closes every order; named, it keeps its place before the filtered fields.
        if (i == ordered) columns += ", seq";
        const std::string key = dialect.IndexKey(ColumnName(fields[i]));
        columns += (columns.empty() ? "" : ", ") + (key.empty() ? dialect.Folded(ColumnName(fields[i])) : key);
    }
    return columns;
}

std::vector<std::string> SearchWords(std::string_view words) {
    std::vector<std::string> found;
    std::string word;
    for (unsigned char c : words) {
        if (std::isalnum(c) || c >= 0x80) {
            word += static_cast<char>(c);
        } else if (!word.empty()) {
            found.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) found.push_back(std::move(word));
    return found;
}

std::string JsonArray(const std::vector<std::string>& values) {
    std::string json = "[";
    for (const std::string& value : values) {
        json += json.size() > 1 ? ",\"" : "\"";
        for (unsigned char c : value) {
            if (c == '"' || c == '\\') {
                json += '\\';
                json += static_cast<char>(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                json += escaped;
            } else {
                json += static_cast<char>(c);
            }
        }
        json += '"';
    }
    return json + "]";
}

std::string JsonArray(const std::vector<std::int64_t>& values) {
    std::string json = "[";
    for (std::int64_t value : values) json += (json.size() > 1 ? "," : "") + std::to_string(value);
    return json + "]";
}

namespace {

bool IsNote(int field) { return field > 1000; }

std::int64_t ParseSeq(std::string_view text) {
    if (auto value = ParseWholeNumber(text)) return *value;
    throw StorageError("not a sequence number: " + std::string(text));
}

// A condition's field, checked: notes cannot take part in conditions or order.
std::string ConditionColumn(const TableDef& table, int field) {
    if (field < 1 || field > table.lastField)
        throw StorageError("field f" + std::to_string(field) + " of " + table.name + " cannot be compared");
    return ColumnName(field);
}

std::string EscapeLike(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '%' || c == '_' || c == '\\') out += '\\';
        out += c;
    }
    return out + '%';
}

const char* Operator(CompareOp op) {
    switch (op) {
        case CompareOp::Equal: return " = ";
        case CompareOp::NotEqual: return " <> ";
        case CompareOp::AtLeast: return " >= ";
        case CompareOp::AtMost: return " <= ";
        case CompareOp::StartsWith:
        case CompareOp::OneOf: break;
    }
    return " LIKE ";
}

std::string From(const TableDef& table) { return " FROM " + QuotedName(table.name); }

// The records that meet `term` (an equality on the table's one-Seq field),
// or whose Seq set holds that Seq: each side found through its own index,
// in one statement, whatever the size of the sets. Term alone when value
// is no Seq.
std::string OrSetHolds(SqlBuilder& b, const TableDef& table, const std::string& term, const std::string& value) {
    const std::optional<std::int64_t> seq = ParseWholeNumber(value);
    if (!seq || *seq < 1) return term;
    std::string sql = "seq IN (SELECT seq" + From(table) + " WHERE " + term;
    sql += std::string(" UNION ALL SELECT seq FROM ") + kSeqSetsTable + " WHERE tbl = " + b.Bind(table.name);
    sql += " AND bucket = " + b.Bind(SeqSetBucket(*seq));
    return sql + " AND (bits & " + b.Bind(SeqSetBit(*seq)) + ") <> 0)";
}

// The conditions joined by AND, their values bound. With indexed false they
// leave the choice of index to another term.
std::string Conditions(SqlBuilder& b, const TableDef& table, const std::vector<Condition>& conditions,
                       bool indexed = true) {
    const SqlDialect& d = b.Dialect();
    std::string sql;
    for (const Condition& condition : conditions) {
        std::string column = ConditionColumn(table, condition.field);
        if (!indexed) column = d.Unindexed(column);
        std::string term;
        if (condition.op == CompareOp::OneOf) {
            // One bound list however many values: a set of parents' children in one statement.
            if (condition.field == 1) {
                std::vector<std::int64_t> seqs;
                seqs.reserve(condition.values.size());
                for (const std::string& value : condition.values) seqs.push_back(ParseSeq(value));
                term = column + " IN " + d.JsonValues(b.Bind(JsonArray(seqs)), true);
            } else {
                std::vector<std::string> values = condition.values;
                if (condition.asDate) {
                    column = "substr(" + column + ", 1, 8)";
                    for (std::string& value : values) value = value.substr(0, 8);
                }
                term = d.Folded(column) + " IN " + d.JsonValues(b.Bind(JsonArray(values)), false);
            }
        } else if (condition.field == 1 && condition.op != CompareOp::StartsWith) {
            // The Seq compares as a number.
            term = column + Operator(condition.op) + b.Bind(ParseSeq(condition.value));
        } else {
            std::string value = condition.value;
            // A Seq matched by its leading digits, as text in every engine.
            if (condition.field == 1) column = "CAST(seq AS TEXT)";
            if (condition.asDate && condition.field != 1) {
                column = "substr(" + column + ", 1, 8)";
                value = value.substr(0, 8);
            }
            const bool prefix = condition.op == CompareOp::StartsWith;
            if (prefix) value = EscapeLike(value);
            const std::string param = b.Bind(std::move(value));
            term = d.Folded(column) + Operator(condition.op) + d.Folded(param) + (prefix ? " ESCAPE '\\'" : "");
            // Equal values have equal keys, and keys keep the order of values.
            const bool keyed = indexed && !condition.asDate && !prefix && condition.op != CompareOp::NotEqual;
            if (keyed && !d.IndexKey(column).empty())
                term = d.IndexKey(column) + Operator(condition.op) + d.IndexKey(param) + " AND " + term;
        }
        if (condition.field == table.seqSetOf && condition.op == CompareOp::Equal && !condition.asDate)
            term = OrSetHolds(b, table, term, condition.value);
        sql += (sql.empty() ? "" : " AND ") + term;
    }
    return sql;
}

std::string Where(const std::string& conditions) { return conditions.empty() ? "" : " WHERE " + conditions; }

bool Descending(const ListRead& read) { return read.descending != read.backward; }

// The terms a list is ordered by, each from highest to lowest when
// descending; the Seq last.
std::vector<std::string> OrderTerms(const SqlDialect& d, const TableDef& table, const ListRead& read) {
    std::vector<std::string> terms;
    for (int field : read.orderBy) {
        if (field == 1) continue;  // the Seq closes every order anyway
        const std::string column = ConditionColumn(table, field);
        if (const std::string key = d.IndexKey(column); !key.empty()) terms.push_back(key);
        terms.push_back(d.Folded(column));
    }
    terms.push_back("seq");
    return terms;
}

std::string OrderBy(const SqlDialect& d, const TableDef& table, const ListRead& read) {
    const std::string direction = Descending(read) ? " DESC" : "";
    std::string sql;
    for (const std::string& term : OrderTerms(d, table, read))
        sql += (sql.empty() ? " ORDER BY " : ", ") + term + direction;
    return sql;
}

// The FROM, WHERE, ORDER BY, LIMIT and OFFSET of a list read, after its columns.
SqlText ListRows(SqlBuilder& b, const TableDef& table, const ListRead& read) {
    const std::string order = OrderBy(b.Dialect(), table, read);
    b << From(table);
    std::string where = Conditions(b, table, read.where);
    if (read.offset > 0) {
        // An offset looks each skipped row up in the table. Instead the page
        // starts at the order terms of its first row, which the subquery
        // finds in the list's index (it holds the terms); the terms tell
        // every row apart (the Seq is last), so the page holds the rows the
        // offset would give.
        std::string terms;
        for (const std::string& term : OrderTerms(b.Dialect(), table, read))
            terms += (terms.empty() ? "" : ", ") + term;
        const std::string first = " (SELECT " + terms + From(table) + Where(Conditions(b, table, read.where)) +
                                  order + " LIMIT 1 OFFSET " + b.Bind(read.offset) + ")";
        where += (where.empty() ? "(" : " AND (") + terms + (Descending(read) ? ") <=" : ") >=") + first;
    }
    b << Where(where) << order;
    // The largest limit stands for none: both engines take it.
    b << " LIMIT " << b.Bind(read.limit < 0 ? std::numeric_limits<std::int64_t>::max() : read.limit);
    return b.Take();
}

}  // namespace

namespace sql {

SqlText Read(const SqlDialect& dialect, const TableDef& table, std::int64_t seq) {
    SqlBuilder b(dialect);
    b << "SELECT " << SelectColumns(table) << From(table) << " WHERE seq = " << b.Bind(seq);
    return b.Take();
}

SqlText ReadEach(const SqlDialect& dialect, const TableDef& table, const std::vector<std::int64_t>& seqs) {
    SqlBuilder b(dialect);
    b << "SELECT " << SelectColumns(table) << From(table) << " WHERE seq IN "
      << dialect.JsonValues(b.Bind(JsonArray(seqs)), true) << " ORDER BY seq";
    return b.Take();
}

SqlText Exists(const SqlDialect& dialect, const TableDef& table, std::int64_t seq) {
    SqlBuilder b(dialect);
    b << "SELECT 1" << From(table) << " WHERE seq = " << b.Bind(seq);
    return b.Take();
}

SqlText Count(const SqlDialect& dialect, const TableDef& table, const std::vector<Condition>& where) {
    SqlBuilder b(dialect);
    b << "SELECT count(*)" << From(table);
    b << Where(Conditions(b, table, where));
    return b.Take();
}

SqlText CountEach(const SqlDialect& dialect, const TableDef& table, int field, const std::vector<std::string>& values,
                  const std::vector<Condition>& where) {
    const std::string column = dialect.Folded(ConditionColumn(table, field));
    const std::string key = dialect.IndexKey(ColumnName(field));
    SqlBuilder b(dialect);
    // The looked-up values pick the index; the other terms only filter.
    const std::string param = b.Bind(JsonArray(values));
    b << "SELECT min(" << ColumnName(field) << "), count(*)" << From(table) << " WHERE ";
    if (!key.empty()) b << key << " IN " << dialect.JsonIndexKeys(param) << " AND ";
    b << column << " IN " << dialect.JsonValues(param, false);
    const std::string more = Conditions(b, table, where, false);
    b << (more.empty() ? "" : " AND " + more) << " GROUP BY " << column;
    return b.Take();
}

SqlText Select(const SqlDialect& dialect, const TableDef& table, const ListRead& read) {
    SqlBuilder b(dialect);
    b << "SELECT " << SelectColumns(table);
    return ListRows(b, table, read);
}

SqlText SelectFields(const SqlDialect& dialect, const TableDef& table, const ListRead& read,
                     const std::vector<int>& fields) {
    SqlBuilder b(dialect);
    b << "SELECT seq";
    std::string tableName;
    for (int field : fields) {
        if (field == 1 || !table.HasField(field))
            throw StorageError("unknown field f" + std::to_string(field) + " of " + table.name);
        if (!IsNote(field)) {
            b << ", " << ColumnName(field);
            continue;
        }
        // A note as a column of the row, so the page and its notes are one
        // statement (the notes' key is the row's Seq).
        if (tableName.empty()) tableName = b.Bind(table.name);
        b << ", (SELECT text FROM " << kNotesTable << " n WHERE n.tbl = " << tableName
          << " AND n.seq = " << QuotedName(table.name) << ".seq AND n.num = " << b.Bind(std::int64_t{field}) << ")";
    }
    return ListRows(b, table, read);
}

SqlText Notes(const SqlDialect& dialect, const TableDef& table, const std::vector<std::int64_t>& seqs) {
    SqlBuilder b(dialect);
    b << "SELECT seq, num, text FROM " << kNotesTable << " WHERE tbl = " << b.Bind(table.name);
    b << " AND seq IN " << dialect.JsonValues(b.Bind(JsonArray(seqs)), true);
    return b.Take();
}

SqlText WriteNote(const SqlDialect& dialect, const TableDef& table, std::int64_t seq, int note,
                  const std::string& value) {
    SqlBuilder b(dialect);
    if (value.empty()) {
        b << "DELETE FROM " << kNotesTable << " WHERE tbl = " << b.Bind(table.name);
        b << " AND seq = " << b.Bind(seq);
        b << " AND num = " << b.Bind(std::int64_t{note});
        return b.Take();
    }
    b << "INSERT INTO " << kNotesTable << " (tbl, seq, num, text) VALUES (" << b.Bind(table.name);
    b << ", " << b.Bind(seq);
    b << ", " << b.Bind(std::int64_t{note});
    b << ", " << b.Bind(value) << ") ON CONFLICT (tbl, seq, num) DO UPDATE SET text = excluded.text";
    return b.Take();
}

std::optional<SqlText> Update(const SqlDialect& dialect, const TableDef& table, std::int64_t seq,
                              const FieldValues& values) {
    SqlBuilder b(dialect);
    b << "UPDATE " << QuotedName(table.name) << " SET ";
    bool any = false;
    for (const auto& [field, value] : values) {
        if (IsNote(field)) continue;
        b << (any ? ", " : "") << ColumnName(field) << " = ";
        b << b.Bind(value);
        any = true;
    }
    if (!any) return std::nullopt;
    b << " WHERE seq = " << b.Bind(seq);
    return b.Take();
}

std::vector<SqlText> Remove(const SqlDialect& dialect, const TableDef& table, std::int64_t seq) {
    std::vector<SqlText> statements;
    SqlBuilder record(dialect);
    record << "DELETE" << From(table) << " WHERE seq = " << record.Bind(seq);
    statements.push_back(record.Take());
    for (const char* beside : {kNotesTable, kFilesTable, kSeqSetsTable}) {
        SqlBuilder b(dialect);
        b << "DELETE FROM " << beside << " WHERE tbl = " << b.Bind(table.name);
        b << " AND seq = " << b.Bind(seq);
        statements.push_back(b.Take());
    }
    return statements;
}

std::vector<SqlText> WriteSeqSet(const SqlDialect& dialect, const TableDef& table, std::int64_t seq,
                                 const std::string& text, bool replacing) {
    // Bound values per statement stay far below what either engine takes.
    constexpr std::size_t kRowsPerInsert = 500;
    const std::map<std::int64_t, std::int64_t> words = server::SeqSetWords(text);
    std::vector<SqlText> statements;
    if (replacing) {
        SqlBuilder removal(dialect);
        removal << "DELETE FROM " << kSeqSetsTable << " WHERE tbl = " << removal.Bind(table.name);
        removal << " AND seq = " << removal.Bind(seq);
        statements.push_back(removal.Take());
    }
    for (auto word = words.begin(); word != words.end();) {
        SqlBuilder b(dialect);
        const std::string tbl = b.Bind(table.name);
        const std::string record = b.Bind(seq);
        b << "INSERT INTO " << kSeqSetsTable << " (tbl, bucket, seq, bits) VALUES ";
        for (std::size_t rows = 0; rows < kRowsPerInsert && word != words.end(); ++rows, ++word) {
            b << (rows ? ", (" : "(") << tbl << ", " << b.Bind(word->first);
            b << ", " << record << ", " << b.Bind(word->second) << ")";
        }
        statements.push_back(b.Take());
    }
    return statements;
}

SqlText SeqSetWords(const SqlDialect& dialect, const TableDef& table, std::int64_t firstSeq, std::int64_t lastSeq) {
    SqlBuilder b(dialect);
    b << "SELECT seq, bucket, bits FROM " << kSeqSetsTable << " WHERE tbl = " << b.Bind(table.name);
    b << " AND seq >= " << b.Bind(firstSeq);
    b << " AND seq <= " << b.Bind(lastSeq) << " ORDER BY seq, bucket";
    return b.Take();
}

SqlText ReadFile(const SqlDialect& dialect, const TableDef& table, std::int64_t seq, int slot) {
    SqlBuilder b(dialect);
    b << "SELECT content, file_date FROM " << kFilesTable << " WHERE tbl = " << b.Bind(table.name);
    b << " AND seq = " << b.Bind(seq);
    b << " AND slot = " << b.Bind(std::int64_t{slot});
    return b.Take();
}

SqlText WriteFile(const SqlDialect& dialect, const TableDef& table, std::int64_t seq, int slot,
                  const Storage::StoredFile& file) {
    SqlBuilder b(dialect);
    b << "INSERT INTO " << kFilesTable << " (tbl, seq, slot, file_date, content) VALUES (" << b.Bind(table.name);
    b << ", " << b.Bind(seq);
    b << ", " << b.Bind(std::int64_t{slot});
    b << ", " << b.Bind(std::int64_t{file.fileDate});
    b << ", " << b.Bind(SqlBlob{file.content})
      << ") ON CONFLICT (tbl, seq, slot) DO UPDATE SET file_date = excluded.file_date, content = excluded.content";
    return b.Take();
}

SqlText OtherFileBytes(const SqlDialect& dialect, const TableDef& table, std::int64_t seq, int slot) {
    SqlBuilder b(dialect);
    const std::string tbl = b.Bind(table.name);
    const std::string record = b.Bind(seq);
    const std::string slotParam = b.Bind(std::int64_t{slot});
    const std::string same = "tbl = " + tbl + " AND seq = " + record;
    b << "SELECT COALESCE(SUM(CASE WHEN " << same << " THEN length(content) END), 0), "
      << "COALESCE(SUM(length(content)), 0) FROM " << kFilesTable << " WHERE NOT (" << same
      << " AND slot = " << slotParam << ")";
    return b.Take();
}

}  // namespace sql

}  // namespace dalvero::server
