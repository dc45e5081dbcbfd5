#include "open_storage.h"

#include "postgres_connection.h"
#include "postgres_storage.h"
#include "sqlite_storage.h"

namespace dalvero::server {

std::unique_ptr<SqlStorage> OpenStorage(const StorageSettings& settings) {
    if (settings.engine == StorageEngine::Postgresql)
        return std::make_unique<PostgresStorage>(settings.dsn, settings.password, settings.connections);
    return std::make_unique<SqliteStorage>(settings.file);
}

std::string DescribeStorage(const StorageSettings& settings) {
    if (settings.engine == StorageEngine::Sqlite) return settings.file;
    return "PostgreSQL " + PostgresConnection::DescribeDsn(settings.dsn);
}

}  // namespace dalvero::server
