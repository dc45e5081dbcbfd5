#include "sqlite_schema.h"

#include <algorithm>
#include <optional>
#include <set>

#include "sqlite_connection.h"
#include "sqlite_dialect.h"

namespace dalvero::server {

using schema::KeyMatch;
using schema::ListDef;
using schema::TableDef;

std::string TextIndexName(const TableDef& table) { return table.name + "_text"; }

namespace {

// Empty fields are stored as empty text, never NULL, so that conditions and
// indexes need no special case; text compares and sorts without letter case.
std::string ColumnDefinition(int field) { return ColumnName(field) + " TEXT NOT NULL DEFAULT '' COLLATE NOCASE"; }

bool Exists(SqliteConnection& connection, const std::string& type, const std::string& name) {
    Statement query = connection.Prepare("SELECT 1 FROM sqlite_master WHERE type = ? AND name = ?");
    query.Bind(1, type).Bind(2, name);
    return query.Step();
}

void CreateTable(SqliteConnection& connection, const TableDef& table) {
    const std::string quoted = QuotedName(table.name);
    if (!Exists(connection, "table", table.name)) {
        // AUTOINCREMENT: a deleted record's Seq is never handed out again,
        // so a stale link can never point at an unrelated record.
        std::string sql = "CREATE TABLE " + quoted + " (seq INTEGER PRIMARY KEY AUTOINCREMENT";
        for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
            sql += ", " + ColumnDefinition(field);
        connection.Execute(sql + ")");
        return;
    }
    std::set<std::string> present;
    Statement columns = connection.Prepare("SELECT name FROM pragma_table_info(?)");
    columns.Bind(1, table.name);
    while (columns.Step()) present.insert(columns.Text(0));
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
        if (!present.count(ColumnName(field)))
            connection.Execute("ALTER TABLE " + quoted + " ADD COLUMN " + ColumnDefinition(field));
}

void CreateListIndex(SqliteConnection& connection, const TableDef& table, const ListDef& list) {
    static const SqliteDialect dialect;
    const std::string columns = ListIndexColumns(dialect, list);
    if (columns.empty()) return;
    const std::string name = table.name + "_L" + std::to_string(list.number);
    const std::string sql = "CREATE INDEX " + QuotedName(name) + " ON " + QuotedName(table.name) + " (" + columns + ")";
    std::optional<std::string> existing;
    {
        Statement query = connection.Prepare("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?");
        query.Bind(1, name);
        if (query.Step()) existing = query.Text(0);
    }
    if (existing == sql) return;
    if (existing) connection.Execute("DROP INDEX " + QuotedName(name));  // an earlier version's, in another order
    connection.Execute(sql);
}

void CreateTextIndex(SqliteConnection& connection, const TableDef& table) {
    const std::string index = TextIndexName(table);
    if (Exists(connection, "table", index)) return;
    const std::string q = QuotedName(index);
    const std::string column = ColumnName(table.textSearchField);
    const std::string source = QuotedName(table.name);
    connection.Execute("CREATE VIRTUAL TABLE " + q + " USING fts5(" + column + ", content='" + table.name +
                       "', content_rowid='seq')");
    const std::string add = "INSERT INTO " + q + "(rowid, " + column + ") VALUES (new.seq, new." + column + ");";
    const std::string drop =
        "INSERT INTO " + q + "(" + q + ", rowid, " + column + ") VALUES ('delete', old.seq, old." + column + ");";
    connection.Execute("CREATE TRIGGER " + QuotedName(index + "_ai") + " AFTER INSERT ON " + source + " BEGIN " +
                       add + " END");
    connection.Execute("CREATE TRIGGER " + QuotedName(index + "_ad") + " AFTER DELETE ON " + source + " BEGIN " +
                       drop + " END");
    connection.Execute("CREATE TRIGGER " + QuotedName(index + "_au") + " AFTER UPDATE ON " + source + " BEGIN " +
                       drop + " " + add + " END");
    // A table that already held records before it had its index.
    connection.Execute("INSERT INTO " + q + "(" + q + ") VALUES ('rebuild')");
}

}  // namespace

void ApplySchema(SqliteConnection& connection) {
    connection.Execute("BEGIN IMMEDIATE");
    try {
        for (const TableDef& table : schema::Tables()) {
            CreateTable(connection, table);
            for (const ListDef& list : table.lists) CreateListIndex(connection, table, list);
            if (table.textSearchField) CreateTextIndex(connection, table);
        }
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kNotesTable +
                           " (tbl TEXT NOT NULL, seq INTEGER NOT NULL, num INTEGER NOT NULL, text TEXT NOT NULL,"
                           " PRIMARY KEY (tbl, seq, num)) WITHOUT ROWID");
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kFilesTable +
                           " (tbl TEXT NOT NULL, seq INTEGER NOT NULL, slot INTEGER NOT NULL,"
                           " file_date INTEGER NOT NULL, content BLOB NOT NULL, PRIMARY KEY (tbl, seq, slot))");
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kSeqSetsTable +
                           " (tbl TEXT NOT NULL, seq INTEGER NOT NULL, bucket INTEGER NOT NULL, bits INTEGER NOT NULL,"
                           " PRIMARY KEY (tbl, seq, bucket)) WITHOUT ROWID");
        connection.Execute(std::string("CREATE INDEX IF NOT EXISTS ") + kSeqSetsTable + "_bucket ON " +
                           kSeqSetsTable + " (tbl, bucket, bits, seq)");
        connection.Execute("COMMIT");
    } catch (...) {
        connection.Rollback();
        throw;
    }
}

}  // namespace dalvero::server
