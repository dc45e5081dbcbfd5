#pragma once
// The servers' log: one timestamped line per event on stderr.

#include <string>

namespace dalvero::server {

void Log(const std::string& line);

// For events a client can cause at will (refused connections, failed
// handshakes): at most one line per kind in each ten seconds, the next line
// telling how many were left out, so a flood cannot fill the disk.
void LogThrottled(const std::string& kind, const std::string& line);

}  // namespace dalvero::server
