#pragma once
// A data folder's backup, taken while its server runs, and its way back into
// a new folder. The archive (tar_archive.h) holds, in this order: server.ini;
// the database copied from one snapshot (sqlite_backup.h), under the member
// name kDatabaseMember whatever the folder calls it; the audit anchors as
// they stood before that snapshot, plus one sealed line for its newest audit
// row; then the rest of the folder (certificates, files for clients, mail not
// yet sent). Record files live in the database and come with it.
//
// The audit key is never in an archive (docs/security.md): whoever holds a
// backup can then neither rewrite its trail below the anchors nor seal new
// anchors, and a restore given the key, kept apart, tells such a backup from
// a true one.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "audit_trail.h"
#include "server_config.h"

namespace dalvero::server {

inline constexpr char kSettingsMember[] = "server.ini";
inline constexpr char kDatabaseMember[] = "dalvero.db";
// Where a restore without the key puts the backup's anchors: they cannot be
// checked, and the server seals new ones under a new key.
inline constexpr char kUncheckedAnchorsName[] = "audit-anchors.unchecked";

struct BackupResult {
    std::uint64_t bytes = 0;  // of the archive
    AuditTip newestAudit;     // the newest audit row the backup holds
    bool anchored = false;    // that row is sealed into the backup's anchors
};

// Writes the backup of the folder `config` describes to `file`, replacing
// a file there only once the new archive is whole. A "backup" row is appended
// to the audit trail first, so the backup holds its own record. Throws
// std::runtime_error (and leaves no partial archive).
BackupResult WriteBackup(const ServerConfig& config, const std::filesystem::path& file);

struct RestoreResult {
    ServerConfig config;      // of the restored folder
    AuditCheck audit;         // of the trail as the backup held it
    AuditTip newestAudit;     // its newest row then
    bool anchorsChecked = false;  // with the audit key
};

// Puts the backup `file` back into `dir`, which must be new or empty and
// served by no one (it is locked meanwhile), with the audit key from
// `auditKey` when given, checks the database's integrity and its audit trail,
// and appends a "restore" row. Throws std::runtime_error, and then removes
// whatever it made: a damaged database is such a failure. A trail that does
// not check out is not: the folder stays, and `audit` says where it breaks.
RestoreResult RestoreBackup(const std::filesystem::path& file, const std::filesystem::path& dir,
                            const std::optional<std::filesystem::path>& auditKey);

}  // namespace dalvero::server
