#include "report_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace dalvero {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string ReportPath(const std::string& path, const char* defaultName) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) return path;
    return (std::filesystem::path(path) / defaultName).string();
}

bool SaveReportBytes(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".XXXXXX";
    // mkstemp creates the file with mode 0600, so no other user can open it
    // while it is written, and the rename keeps that mode.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool SaveReportLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) (text += line) += "\r\n";
    return SaveReportBytes(path, text);
}

}  // namespace dalvero
