#pragma once
// Bringing a SQLite database file up to the schema.

#include <string>

#include "schema.h"
#include "sql_text.h"

namespace dalvero::server {

class SqliteConnection;

// The full-text index table of a table that has one.
std::string TextIndexName(const schema::TableDef& table);

// Creates what is missing (tables, later-added fields, indexes of every list,
// text indexes with the triggers that keep them current). Idempotent.
void ApplySchema(SqliteConnection& connection);

}  // namespace dalvero::server
