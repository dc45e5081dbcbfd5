// migrate: moving a data folder's SQLite database into PostgreSQL.

#include <filesystem>
#include <iostream>

#include "data_folder_lock.h"
#include "secret_input.h"
#include "server_commands.h"
#include "server_config.h"
#include "store_copy.h"

namespace fs = std::filesystem;

namespace dalvero::server::commands {

namespace {

const char kMigrateHelp[] =
    "Usage: dalvero-server migrate FROM_DIR TO_DIR --dsn DSN [--db-password-file FILE]\n"
    "Copy the SQLite database of the data folder FROM_DIR into the empty PostgreSQL\n"
    "database of DSN (a libpq connection string), every record under its own Seq\n"
    "with its notes and files, the sessions and the whole audit trail, and check\n"
    "that every table arrived whole. Then make TO_DIR (new, or empty): FROM_DIR\n"
    "without its database, its server.ini set to [Storage] Engine=postgresql with\n"
    "this DSN. FROM_DIR stays as it was. Stop its server first. The database\n"
    "password comes from the first line of FILE (named in TO_DIR/server.ini as\n"
    "PasswordFile) or libpq's PGPASSWORD or PGPASSFILE.\n";

// What of the source folder stays behind: its database and its server's lock.
bool LeftBehind(const fs::path& relative, const ServerConfig& config) {
    const std::string name = relative.string();
    const std::string database = fs::relative(config.databaseFile, config.dataDir).string();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (name == database + suffix) return true;
    return name == "server.lock";
}

void CopyFolder(const ServerConfig& config, const fs::path& to) {
    fs::create_directories(to);
    fs::permissions(to, fs::perms::owner_all);
    for (const auto& entry : fs::recursive_directory_iterator(config.dataDir)) {
        const fs::path relative = fs::relative(entry.path(), config.dataDir);
        if (LeftBehind(relative, config)) continue;
        if (entry.is_directory())
            fs::create_directories(to / relative);
        else
            fs::copy_file(entry.path(), to / relative);
        fs::permissions(to / relative, entry.status().permissions());
    }
}

}  // namespace

int Migrate(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed =
        ParseOrExplain(args, {kMigrateHelp, {"--dsn", "--db-password-file"}, {}, 2, 2}, status);
    if (!parsed) return status;
    if (parsed->Get("--dsn").empty()) {
        std::cerr << "dalvero-server migrate: --dsn names the PostgreSQL database\n" << kMigrateHelp;
        return kUsage;
    }
    const ServerConfig config = LoadServerConfig(parsed->positionals[0]);
    const fs::path to = fs::absolute(parsed->positionals[1]).lexically_normal();
    if (config.storage.engine != StorageEngine::Sqlite)
        throw std::runtime_error(config.dataDir.string() + " is not on SQLite");
    if (FindRunningServer(config.dataDir))
        throw std::runtime_error("a server is running on " + config.dataDir.string() + "; stop it first");
    if (fs::exists(to) && !fs::is_empty(to)) throw std::runtime_error(to.string() + " is not empty");

    StorageSettings target;
    target.engine = StorageEngine::Postgresql;
    target.dsn = parsed->Get("--dsn");
    const std::string passwordFile = parsed->Get("--db-password-file");
    if (!passwordFile.empty()) target.password = ReadSecretFile(passwordFile);
    const std::unique_ptr<SqlStorage> source = OpenStorage(config.storage);
    PostgresStorage database(target.dsn, target.password, 4);
    std::int64_t records = 0;
    for (const CopiedTable& table : CopyStore(*source, database)) records += table.records;
    database.Analyze();

    CopyFolder(config, to);
    IniFile ini;
    const std::string serverIni = (to / "server.ini").string();
    if (!ini.LoadFromFile(serverIni)) throw std::runtime_error("cannot read " + serverIni);
    ini.WriteString("Storage", "Engine", "postgresql");
    ini.WriteString("Storage", "DSN", target.dsn);
    if (!passwordFile.empty()) ini.WriteString("Storage", "PasswordFile", fs::absolute(passwordFile).string());
    if (!ini.SaveToFile(serverIni, 0600)) throw std::runtime_error("cannot write " + serverIni);
    std::cout << records << " records of " << config.dataDir.string() << " are now in "
              << DescribeStorage(target) << "; " << to.string() << " serves them.\n";
    return kDone;
}

}  // namespace dalvero::server::commands
