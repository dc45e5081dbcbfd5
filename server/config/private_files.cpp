#include "private_files.h"

namespace dalvero::server {

namespace fs = std::filesystem;

namespace {

void Restrict(const fs::path& path, fs::perms perms) {
    std::error_code error;
    if (!fs::exists(path, error)) return;
    fs::permissions(path, perms, error);
    if (error) throw ConfigError("cannot make " + path.string() + " private: " + error.message());
}

}  // namespace

void RestrictPrivateFiles(const ServerConfig& config) {
    constexpr auto kFile = fs::perms::owner_read | fs::perms::owner_write;
    constexpr auto kFolder = fs::perms::owner_all;
    Restrict(config.dataDir / "server.ini", kFile);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(config.keyFile.parent_path(), error))
        if (entry.path().extension() == ".key") Restrict(entry.path(), kFile);
    Restrict(config.keyFile, kFile);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        Restrict(config.databaseFile.string() + suffix, kFile);
    Restrict(config.mail.outboxDir, kFolder);
    for (const auto& entry : fs::directory_iterator(config.mail.outboxDir, error))
        Restrict(entry.path(), entry.is_directory() ? kFolder : kFile);
}

}  // namespace dalvero::server
