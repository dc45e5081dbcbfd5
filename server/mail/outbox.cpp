#include "outbox.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

namespace dalvero::server::mail {
namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[20];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
    return text;
}

// Makes the new directory entry itself durable, not only the file's bytes.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string WriteToOutbox(const std::filesystem::path& folder, std::string_view text) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return "Cannot make the outbox folder " + folder.string() + ": " + ec.message();

    std::string temp = (folder / ".tmp-XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return SystemError("Cannot create a file in the outbox " + folder.string());
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const std::string writeError = written ? "" : SystemError("Cannot write the outbox file " + temp);
    ::close(fd);
    if (!written) {
        ::unlink(temp.c_str());
        return writeError;
    }

    // link() refuses an existing name, so no earlier message is ever replaced.
    const std::string unique = temp.substr(temp.size() - 6);
    const std::string stem = (folder / (TimeStamp() + "-" + unique)).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + (attempt ? "-" + std::to_string(attempt) : "") + ".eml";
        if (::link(temp.c_str(), name.c_str()) == 0) {
            ::unlink(temp.c_str());
            SyncFolder(folder);
            return {};
        }
        if (errno != EEXIST) break;
    }
    const std::string error = SystemError("Cannot name the outbox file in " + folder.string());
    ::unlink(temp.c_str());
    return error;
}

}  // namespace dalvero::server::mail
