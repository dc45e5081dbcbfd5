#include "file_age.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace dalvero {

std::int32_t FileAge(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return static_cast<std::int32_t>(info.st_mtime);
}

bool SetFileAge(const std::string& path, std::int32_t age) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(age), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace dalvero
