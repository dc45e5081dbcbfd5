#include "report_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace dalvero {

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
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    // On disk before it replaces the older file, so a crash never leaves a
    // half report under the report's name.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         std::fflush(file) == 0 && ::fsync(fd) == 0;
    const bool closed = std::fclose(file) == 0;
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
