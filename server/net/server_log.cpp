#include "server_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace dalvero::server {

void Log(const std::string& line) {
    static std::mutex mutex;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    std::lock_guard lock(mutex);
    std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
}

}  // namespace dalvero::server
