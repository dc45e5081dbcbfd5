#pragma once
// SQL text derived from the schema: table and column names, and bringing a
// database file up to the schema.

#include <string>

#include "schema.h"

namespace dalvero::server {

class SqliteConnection;

inline constexpr char kNotesTable[] = "record_notes";
inline constexpr char kFilesTable[] = "record_files";

std::string QuotedName(const std::string& name);
// "seq" for the Seq, "fN" for a stored field.
std::string ColumnName(int field);
// "f2, f3, ..., fN": every stored field but the Seq, in field order.
std::string FieldColumns(const schema::TableDef& table);
// The full-text index table of a table that has one.
std::string TextIndexName(const schema::TableDef& table);

// Creates what is missing (tables, later-added fields, indexes of every list,
// text indexes with the triggers that keep them current). Idempotent.
void ApplySchema(SqliteConnection& connection);

}  // namespace dalvero::server
