// backup and restore: a copy of a data folder taken while planners work, and
// its way back.

#include <filesystem>
#include <iostream>

#include "audit_anchor.h"
#include "folder_backup.h"
#include "server_commands.h"

namespace fs = std::filesystem;

namespace dalvero::server::commands {

namespace {

const char kBackupHelp[] =
    "Usage: dalvero-server backup DIR FILE\n"
    "Write a backup of the data folder DIR to FILE while its server runs and\n"
    "planners keep working: the database as it stood at one moment (record files\n"
    "included), server.ini, the certificates, the audit anchors and the files for\n"
    "clients, as one tar archive readable by its owner alone. FILE, outside DIR,\n"
    "is replaced only once the new backup is whole. The audit key is left out:\n"
    "keep a copy of DIR/tls/audit.key apart from the backups, for restore\n"
    "--audit-key. The backup is recorded in the audit trail. A folder whose\n"
    "records are in PostgreSQL is backed up with the cluster's own tools.\n";

const char kRestoreHelp[] =
    "Usage: dalvero-server restore FILE DIR [--audit-key KEYFILE]\n"
    "Put the backup FILE back into DIR, a new or empty folder no server runs on,\n"
    "then check the database's integrity and its audit trail as verify-audit\n"
    "does. With --audit-key (the folder's tls/audit.key, kept apart from the\n"
    "backups) the trail is also checked against the backup's anchors; without\n"
    "it they are kept aside as audit-anchors.unchecked and the server seals new\n"
    "ones under a new key. The restore is recorded in the audit trail.\n"
    "Exit status: 0 restored and intact, 3 restored but the audit trail was\n"
    "changed, 1 failed (the folder is left as it was), 2 usage error.\n";

}  // namespace

int Backup(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kBackupHelp, {}, {}, 2, 2}, status);
    if (!parsed) return status;
    const ServerConfig config = LoadServerConfig(parsed->positionals[0]);
    if (config.storage.engine == StorageEngine::Postgresql) {
        std::cerr << "dalvero-server backup: " << config.dataDir.string()
                  << " keeps its records in PostgreSQL; back them up with the cluster's own tools (pg_dump, or base\n"
                     "backups with WAL archiving) and the folder with tar, the audit key apart (docs/scaling.md)\n";
        return kFailed;
    }
    const fs::path file = fs::absolute(parsed->positionals[1]);
    const BackupResult result = WriteBackup(config, file);
    std::cout << "Backup of " << config.dataDir.string() << " written to " << file.string() << ": " << result.bytes
              << " bytes, the audit trail up to row " << result.newestAudit.seq << ".\n";
    if (result.anchored)
        std::cout << "The audit key " << AuditKeyFile(config).string()
                  << " is not in the backup; keep a copy of it apart for restore --audit-key.\n";
    return kDone;
}

int Restore(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kRestoreHelp, {"--audit-key"}, {}, 2, 2}, status);
    if (!parsed) return status;
    std::optional<fs::path> key;
    if (parsed->Has("--audit-key")) key = parsed->Get("--audit-key");
    const RestoreResult result = RestoreBackup(parsed->positionals[0], parsed->positionals[1], key);
    std::cout << "Restored into " << result.config.dataDir.string() << "; its database passed the integrity check.\n";
    if (!result.anchorsChecked)
        std::cout << "No audit key: the trail is not checked against its anchors, which are kept as "
                  << (result.config.dataDir / kUncheckedAnchorsName).string() << ".\n";
    return ReportAuditCheck(result.audit, result.newestAudit);
}

}  // namespace dalvero::server::commands
