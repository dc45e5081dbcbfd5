#pragma once
// One server per data folder. `run` holds a lock on DIR/server.lock for its
// whole life and keeps in that file what `status` shows (its process, ports,
// connections); the operating system drops the lock however the process ends,
// so a crash leaves no stale claim.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace dalvero::server {

// The lock file, in the data folder.
inline constexpr char kLockFileName[] = "server.lock";

class DataFolderLock {
public:
    // Throws std::runtime_error when the file cannot be made or another
    // process holds the folder (the text names that process).
    explicit DataFolderLock(const std::filesystem::path& dataDir);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Replaces the status lines the file holds.
    void WriteStatus(const std::string& text);

private:
    int fd_ = -1;
};

struct RunningServer {
    pid_t pid = 0;
    std::string status;  // the lines the server last wrote
};

// The server that holds the folder; none when no process holds it.
std::optional<RunningServer> FindRunningServer(const std::filesystem::path& dataDir);

}  // namespace dalvero::server
