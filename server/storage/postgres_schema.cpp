#include "postgres_schema.h"

#include <set>
#include <utility>

#include "postgres_connection.h"
#include "postgres_dialect.h"

namespace dalvero::server {

namespace {

using schema::TableDef;

// Held while the schema is applied, so servers starting together do not
// create the same table twice.
constexpr char kSchemaLock[] = "SELECT pg_advisory_xact_lock(4682001)";

// Empty fields are stored as empty text, never NULL, so that conditions and
// indexes need no special case. The "C" collation makes lower() fold ASCII
// letters alone and orders the folded text byte by byte, whatever the
// database's own locale.
std::string ColumnDefinition(int field) { return ColumnName(field) + " text COLLATE \"C\" NOT NULL DEFAULT ''"; }

std::set<std::pair<std::string, std::string>> PresentColumns(PostgresConnection& connection) {
    std::set<std::pair<std::string, std::string>> present;
    const auto rows = connection.Query(
        {"SELECT table_name::text, column_name::text FROM information_schema.columns"
         " WHERE table_schema = current_schema()",
         {}});
    while (rows->Next()) present.emplace(rows->Text(0), rows->Text(1));
    return present;
}

void CreateTable(PostgresConnection& connection, const TableDef& table,
                 const std::set<std::pair<std::string, std::string>>& present) {
    const std::string quoted = QuotedName(table.name);
    if (!present.count({table.name, "seq"})) {
        std::string sql = "CREATE TABLE " + quoted + " (seq bigint PRIMARY KEY";
        for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
            sql += ", " + ColumnDefinition(field);
        connection.Execute(sql + ")");
    } else {
        for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
            if (!present.count({table.name, ColumnName(field)}))
                connection.Execute("ALTER TABLE " + quoted + " ADD COLUMN " + ColumnDefinition(field));
    }
    const PostgresDialect dialect;
    for (const schema::ListDef& list : table.lists) {
        const std::string columns = ListIndexColumns(dialect, list);
        if (columns.empty()) continue;
        connection.Execute("CREATE INDEX IF NOT EXISTS " + QuotedName(table.name + "_L" + std::to_string(list.number)) +
                           " ON " + quoted + " (" + columns + ")");
    }
    if (table.textSearchField)
        connection.Execute("CREATE INDEX IF NOT EXISTS " + QuotedName(table.name + "_text") + " ON " + quoted +
                           " USING gin (" + PostgresDialect::TextVector(table) + ")");
    SqlBuilder counter(dialect);
    counter << "INSERT INTO " << kSeqCounters << " (tbl, last) VALUES (" << counter.Bind(table.name)
            << ", 0) ON CONFLICT (tbl) DO NOTHING";
    connection.Run(counter.Take());
}

}  // namespace

void ApplyPostgresSchema(PostgresConnection& connection) {
    connection.Execute("BEGIN");
    try {
        connection.Execute(kSchemaLock);
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kSeqCounters +
                           " (tbl text COLLATE \"C\" PRIMARY KEY, last bigint NOT NULL)");
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kNotesTable +
                           " (tbl text COLLATE \"C\" NOT NULL, seq bigint NOT NULL, num integer NOT NULL,"
                           " text text NOT NULL, PRIMARY KEY (tbl, seq, num))");
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kFilesTable +
                           " (tbl text COLLATE \"C\" NOT NULL, seq bigint NOT NULL, slot integer NOT NULL,"
                           " file_date bigint NOT NULL, content bytea NOT NULL, PRIMARY KEY (tbl, seq, slot))");
        connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + kSeqSetsTable +
                           " (tbl text COLLATE \"C\" NOT NULL, seq bigint NOT NULL, bucket bigint NOT NULL,"
                           " bits bigint NOT NULL, PRIMARY KEY (tbl, seq, bucket))");
        connection.Execute(std::string("CREATE INDEX IF NOT EXISTS ") + kSeqSetsTable + "_bucket ON " +
                           kSeqSetsTable + " (tbl, bucket, bits, seq)");
        const auto present = PresentColumns(connection);
        for (const TableDef& table : schema::Tables()) CreateTable(connection, table, present);
        connection.Execute("COMMIT");
    } catch (...) {
        try {
            connection.Execute("ROLLBACK");
        } catch (const StorageError&) {
        }
        throw;
    }
}

}  // namespace dalvero::server
