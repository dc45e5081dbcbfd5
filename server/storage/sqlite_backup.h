#pragma once
// Copies of a SQLite database for backups, and the check a restored copy
// passes before it is served. The copy is taken while the server goes on
// writing: it reads one snapshot of the database, which in WAL mode never
// holds up a writer, and copies it a slice of pages at a time.

#include <string>
#include <vector>

namespace dalvero::server {

// Copies the database file at `source` (which must exist) into `target`,
// made anew, as it stood at one moment: every write committed before the
// copy began is in it, none half. Throws StorageError; a partial target is
// the caller's to remove.
void CopySqliteDatabase(const std::string& source, const std::string& target);

// What SQLite's integrity check finds wrong with the database file at
// `path`; empty when it is sound. Throws StorageError when the file cannot
// be opened as a database.
std::vector<std::string> SqliteIntegrityProblems(const std::string& path);

}  // namespace dalvero::server
