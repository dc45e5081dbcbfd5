#pragma once
// The audit trail's anchor outside the database: from time to time the
// newest row's Seq and hash are appended to a file of their own, each line
// sealed with a keyed hash (HMAC-SHA-256) whose key is a file of the data
// folder, never stored in the database. Someone who can rewrite the database
// but not read the key can neither recompute the chain past an anchored row
// nor cut the trail below it unnoticed, nor write a matching anchor line; a
// file made append-only (chattr +a) or copied elsewhere keeps even the key's
// holder from rewriting the anchored past (docs/security.md).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "server_config.h"

namespace dalvero::server {

// The key lives among the TLS keys, private like them; the anchors in the
// data folder.
inline constexpr char kAuditKeyName[] = "audit.key";
std::filesystem::path AuditKeyFile(const ServerConfig& config);
std::filesystem::path AuditAnchorFile(const ServerConfig& config);

struct AuditAnchorLine {
    std::int64_t seq = 0;  // 0: the trail was empty
    std::string hash;
    bool sealed = false;  // its keyed hash matched
};

class AuditAnchor {
public:
    // Makes a new random key file (readable by the owner alone) unless one
    // exists. Throws std::runtime_error.
    static void MakeKey(const std::filesystem::path& keyFile);

    // Reads the key. Throws std::runtime_error when it cannot be read.
    AuditAnchor(const std::filesystem::path& keyFile, std::filesystem::path anchorFile);

    // Appends a sealed line and syncs it to disk. Throws std::runtime_error.
    void Append(std::int64_t seq, const std::string& hash) const;

    // Every line of the file, in order; none when there is no file.
    std::vector<AuditAnchorLine> Lines() const;

private:
    std::string Seal(std::int64_t seq, const std::string& hash) const;

    std::string key_;
    std::filesystem::path file_;
};

}  // namespace dalvero::server
