#include "data_folder_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace dalvero::server {

namespace {

// Who holds a write lock on the whole file; 0 when no one does.
pid_t Holder(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK) return 0;
    return probe.l_pid;
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& dataDir) {
    const std::string file = (dataDir / kLockFileName).string();
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) throw std::runtime_error("cannot open " + file + ": " + std::strerror(errno));
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd_, F_SETLK, &lock) == 0) {
        // A server killed without its clean stop left its last status here;
        // until this one writes its own, readers must see it as starting.
        (void)!::ftruncate(fd_, 0);
        return;
    }
    const pid_t holder = Holder(fd_);
    ::close(fd_);
    fd_ = -1;
    throw std::runtime_error(dataDir.string() + " is served already by process " + std::to_string(holder) +
                             " (it holds " + file + ")");
}

DataFolderLock::~DataFolderLock() {
    if (fd_ < 0) return;
    // Emptied, so that a reader never takes the last status for a live one.
    (void)!::ftruncate(fd_, 0);
    ::close(fd_);
}

void DataFolderLock::WriteStatus(const std::string& text) {
    // Through the locking descriptor: closing any other descriptor of the
    // file would give up the lock. Written before the old tail is cut, so a
    // reader never finds the file empty while the server runs.
    if (::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
        (void)!::ftruncate(fd_, static_cast<off_t>(text.size()));
}

std::optional<RunningServer> FindRunningServer(const std::filesystem::path& dataDir) {
    const int fd = ::open((dataDir / kLockFileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<RunningServer> found;
    if (const pid_t holder = Holder(fd)) {
        found = RunningServer{holder, {}};
        char piece[4096];
        for (ssize_t n; (n = ::read(fd, piece, sizeof piece)) > 0;) found->status.append(piece, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return found;
}

}  // namespace dalvero::server
