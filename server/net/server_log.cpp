#include "server_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
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

void LogThrottled(const std::string& kind, const std::string& line) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kWindow = std::chrono::seconds(10);
    struct Kind {
        Clock::time_point last;
        unsigned long leftOut = 0;
    };
    static std::mutex mutex;
    static std::map<std::string, Kind> kinds;
    unsigned long leftOut = 0;
    {
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        auto [it, added] = kinds.try_emplace(kind);
        if (!added && now - it->second.last < kWindow) {
            ++it->second.leftOut;
            return;
        }
        it->second.last = now;
        leftOut = it->second.leftOut;
        it->second.leftOut = 0;
    }
    Log(leftOut ? line + " (and " + std::to_string(leftOut) + " more like it)" : line);
}

}  // namespace dalvero::server
