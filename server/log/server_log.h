#pragma once
// The servers' log: one line per event on stderr. Under a service manager
// (JOURNAL_STREAM set) a line is the journal's "<N>" severity and the text,
// the journal keeping the time; elsewhere it opens with an ISO 8601 time with
// its UTC offset and the severity word, so lines from either side of a clock
// change still sort and read unambiguously.

#include <string>

namespace dalvero::server {

// Severities as syslog numbers them.
enum class Severity { Error = 3, Warning = 4, Notice = 5, Info = 6 };

void Log(Severity severity, const std::string& line);
inline void Log(const std::string& line) { Log(Severity::Info, line); }

// For events a client can cause at will (refused connections, failed
// handshakes and log-ins): at most one line per kind in each ten seconds, the
// next line telling how many were left out, so a flood cannot fill the disk.
void LogThrottled(const std::string& kind, const std::string& line, Severity severity = Severity::Warning);

}  // namespace dalvero::server
