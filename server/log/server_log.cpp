#include "server_log.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>

namespace dalvero::server {

namespace {

const char* Word(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Notice: return "notice";
    case Severity::Info: break;
    }
    return "info";
}

// "2026-03-08T01:59:59-05:00": strftime's %z lacks the colon ISO 8601 wants.
std::string LocalTimeWithOffset(std::time_t now) {
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[40];
    std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S%z", &tm);
    std::string text(stamp, n);
    if (text.size() >= 5) text.insert(text.size() - 2, ":");
    return text;
}

}  // namespace

void Log(Severity severity, const std::string& line) {
    static const bool journal = std::getenv("JOURNAL_STREAM") != nullptr;
    static std::mutex mutex;
    const std::string prefix = journal ? "<" + std::to_string(static_cast<int>(severity)) + ">"
                                       : LocalTimeWithOffset(std::time(nullptr)) + " " + Word(severity) + " ";
    // Lines carry texts clients sent (e-mails, addresses): one of them must
    // not forge a line of its own.
    std::string text = line;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    std::lock_guard lock(mutex);
    std::fprintf(stderr, "%s%s\n", prefix.c_str(), text.c_str());
}

void LogThrottled(const std::string& kind, const std::string& line, Severity severity) {
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
    Log(severity, leftOut ? line + " (and " + std::to_string(leftOut) + " more like it)" : line);
}

}  // namespace dalvero::server
