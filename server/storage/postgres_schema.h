#pragma once
// Bringing a PostgreSQL database up to the schema: tables, later-added
// fields, the index of every list, the text indexes and the Seq counters.
// Several servers may start at once on one database; they take turns.

namespace dalvero::server {

class PostgresConnection;

// Creates what is missing. Idempotent. Throws StorageError.
void ApplyPostgresSchema(PostgresConnection& connection);

}  // namespace dalvero::server
