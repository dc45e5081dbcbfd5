#pragma once
// The store engine the server tests run on. The storage, list, paging,
// record, command, security and audit tests run once per engine: on SQLite
// by default, on PostgreSQL when DALVERO_TEST_ENGINE=postgresql (ctest runs
// both wherever the PostgreSQL server binaries are installed, as CI does).
//
// For PostgreSQL one throw-away cluster serves the whole test process:
// initdb in a temporary folder, a free loopback port, stopped and removed
// once the process has gone. initdb refuses to run as root, so as root the
// cluster runs under the "postgres" account the server package makes (or
// "nobody"). Each TestStore is a fresh database in it.
//
//     TestStore place(dir.Path());
//     auto storage = place.Open();   // again later: the same records

#include <filesystem>
#include <memory>

#include "open_storage.h"

namespace dalvero::test {

// Whether the tests of this process run on PostgreSQL.
bool OnPostgres();

class TestStore {
public:
    // A new, empty place for a store: dir/dalvero.db, or a new database.
    explicit TestStore(const std::filesystem::path& dir);

    const server::StorageSettings& Settings() const { return settings_; }
    // Opens the store (again): what earlier openings wrote is there.
    std::unique_ptr<server::SqlStorage> Open() const { return server::OpenStorage(settings_); }

private:
    server::StorageSettings settings_;
};

// The store of a data folder, as its server.ini names it.
std::unique_ptr<server::SqlStorage> OpenFolderStore(const std::filesystem::path& dataDir);

// Runs a statement on the store directly, as someone with the database in
// hand could. Throws std::runtime_error when it fails.
void ExecuteOnStore(const server::StorageSettings& settings, const std::string& sql);

// A libpq connection string for a new database of the test cluster (started
// on first use): empty, or a copy of the database named `from`, which no one
// may be connected to. Throws std::runtime_error when the cluster cannot
// start, StorageError when the database cannot be made.
std::string NewTestDatabase(const std::string& from = {});

}  // namespace dalvero::test
