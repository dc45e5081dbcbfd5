#pragma once
// Which engine holds a data folder's records, and opening it: SQLite in the
// folder (the default: one hospital on one machine) or a PostgreSQL database
// that several servers share.

#include <memory>
#include <string>

#include "sql_storage.h"

namespace dalvero::server {

enum class StorageEngine { Sqlite, Postgresql };

struct StorageSettings {
    StorageEngine engine = StorageEngine::Sqlite;
    std::string file;      // SQLite: the database file
    std::string dsn;       // PostgreSQL: a libpq connection string, without the password
    std::string password;  // PostgreSQL: empty for libpq's PGPASSWORD or PGPASSFILE
    int connections = 16;  // PostgreSQL: connections open at most
};

// Opens the store and brings it up to the schema. Throws StorageError.
std::unique_ptr<SqlStorage> OpenStorage(const StorageSettings& settings);
// Where the records are, for the log: the file, or host, port and database.
std::string DescribeStorage(const StorageSettings& settings);

}  // namespace dalvero::server
