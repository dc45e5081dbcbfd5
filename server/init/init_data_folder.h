#pragma once
// Makes a server data folder (docs/data-folder.md): the database with the
// code books and provider categories, a private CA and the server's
// certificate, files/ and outbox/, server.ini, and a Dalvero.ini for clients.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "date_text.h"
#include "demo_hospital.h"
#include "server_config.h"

namespace dalvero::server {

struct InitOptions {
    bool demo = false;
    // Cases of the demo hospital: about 3 in 10 open, some patients in again.
    int demoCases = kDemoCases;
    // The name (or address) clients use for the server: the certificate is
    // made for it and the client Dalvero.ini names it.
    std::string host = "localhost";
    // Folder of the shipped reference files (the source tree's data/, or the
    // installed share folder).
    std::filesystem::path referenceDir;
    // PBKDF2 rounds of the folder's password policy ([Security]
    // PasswordIterations), which the demo staff's hashes use too.
    int passwordIterations = 600'000;
    // The hospital of a production folder and its first administrator, who
    // logs in with adminPassword; all empty: none (the demo brings its own).
    std::string hospital;
    std::string admin;
    std::string adminPassword;
    // Where the records go: SQLite in the folder, or an empty PostgreSQL
    // database whose connection string server.ini then names (the password
    // comes from libpq's environment and is never written down).
    StorageEngine engine = StorageEngine::Sqlite;
    std::string dsn;
    // Day the demo's dates count from; today when not given.
    std::optional<CivilDate> today;
};

struct InitResult {
    ServerConfig config;
    std::filesystem::path clientIni;  // the ready Dalvero.ini
    std::size_t diagnoses = 0;
    std::size_t procedures = 0;
    std::size_t zips = 0;
    std::vector<DemoLogin> logins;  // empty without the demo
};

// Throws InitError when `dir` already holds a server.ini or a database, or
// the PostgreSQL database holds records (the folder and database are left as
// they were), when a reference file is missing or unreadable,
// or when a step fails; what a failed run made is removed again.
InitResult InitDataFolder(const std::filesystem::path& dir, const InitOptions& options);

// The demo log-ins as lines to show once, e.g. after "dalvero-server --init".
std::string FormatLogins(const std::vector<DemoLogin>& logins);

}  // namespace dalvero::server
