// Reading a backup back into a new folder; folder_backup.cpp writes one.

#include <ctime>
#include <stdexcept>

#include "audit_anchor.h"
#include "data_folder_lock.h"
#include "folder_backup.h"
#include "made_paths.h"
#include "sqlite_backup.h"
#include "sqlite_storage.h"
#include "tar_archive.h"

namespace fs = std::filesystem;

namespace dalvero::server {

namespace {

constexpr unsigned kPrivate = 0600;

// The member the archive's order puts next: server.ini, then the database.
TarReader::Member Expected(TarReader& archive, const char* name, const fs::path& file) {
    const std::optional<TarReader::Member> member = archive.Next();
    if (!member || member->directory || member->name != name)
        throw std::runtime_error(file.string() + " is no dalvero-server backup: it does not begin with " +
                                 kSettingsMember + " and " + kDatabaseMember);
    return *member;
}

// The rest of the folder; the anchors go aside when there is no key to
// check them with.
void ExtractFolder(TarReader& archive, const ServerConfig& config, bool withKey, MadePaths& made) {
    const std::string anchors = AuditAnchorFile(config).filename().string();
    while (const std::optional<TarReader::Member> member = archive.Next()) {
        fs::path target = config.dataDir / member->name;
        if (member->name == anchors && !withKey) target = config.dataDir / kUncheckedAnchorsName;
        if (member->directory) {
            made.Directory(target, fs::perms(member->mode & 0777));
            fs::permissions(target, fs::perms(member->mode & 0777));
            continue;
        }
        made.Directory(target.parent_path(), fs::perms::owner_all);
        made.Expect(target);
        archive.Extract(target, member->mode);
    }
}

}  // namespace

RestoreResult RestoreBackup(const fs::path& source, const fs::path& target, const std::optional<fs::path>& auditKey) {
    const fs::path file = fs::absolute(source).lexically_normal();
    const fs::path dir = fs::absolute(target).lexically_normal();
    if (const std::optional<RunningServer> running = FindRunningServer(dir))
        throw std::runtime_error(dir.string() + " is served by process " + std::to_string(running->pid) +
                                 "; a backup goes back into a new folder, never over a live one");
    if (fs::exists(dir) && (!fs::is_directory(dir) || !fs::is_empty(dir)))
        throw std::runtime_error(dir.string() + " is not empty; restore into a new, empty folder");
    if (auditKey && !fs::is_regular_file(*auditKey)) throw std::runtime_error("cannot read " + auditKey->string());
    TarReader archive(file);

    MadePaths made;
    made.Directory(dir, fs::perms::owner_all);
    made.Expect(dir / kLockFileName);
    // No server may start on the folder before it is whole and checked.
    DataFolderLock lock(dir);
    const TarReader::Member settings = Expected(archive, kSettingsMember, file);
    made.Expect(dir / kSettingsMember);
    archive.Extract(dir / kSettingsMember, settings.mode);
    RestoreResult result;
    result.config = LoadServerConfig(dir);
    const ServerConfig& config = result.config;
    const fs::path& database = config.databaseFile;
    Expected(archive, kDatabaseMember, file);
    if (fs::exists(database)) throw std::runtime_error(database.string() + " exists already");
    made.Directory(database.parent_path(), fs::perms::owner_all);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) made.Expect(database.string() + suffix);
    archive.Extract(database, kPrivate);
    ExtractFolder(archive, config, auditKey.has_value(), made);
    if (auditKey) {
        made.Directory(AuditKeyFile(config).parent_path(), fs::perms::owner_all);
        made.Expect(AuditKeyFile(config));
        fs::copy_file(*auditKey, AuditKeyFile(config));
        fs::permissions(AuditKeyFile(config), fs::perms::owner_read | fs::perms::owner_write);
    }

    std::vector<std::string> problems;
    try {
        problems = SqliteIntegrityProblems(database.string());
    } catch (const StorageError& e) {
        problems.push_back(e.what());  // not a database at all
    }
    if (!problems.empty())
        throw std::runtime_error("the database in " + file.string() + " is damaged: " + problems.front());
    {
        SqliteStorage store(database.string());
        std::optional<AuditAnchor> anchor;
        if (auditKey) anchor.emplace(AuditKeyFile(config), AuditAnchorFile(config));
        result.audit = VerifyAuditTrail(store, anchor ? &*anchor : nullptr);
        result.newestAudit = NewestAuditRow(store);
        result.anchorsChecked = anchor.has_value();
        AppendAudit(store, ConsoleOperator(""), {{audit_action::kRestore, "", 0, "", "from " + file.string()}},
                    std::time(nullptr));
    }
    made.Keep();
    return result;
}

}  // namespace dalvero::server
