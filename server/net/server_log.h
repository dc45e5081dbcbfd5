#pragma once
// The servers' log: one timestamped line per event on stderr.

#include <string>

namespace dalvero::server {

void Log(const std::string& line);

}  // namespace dalvero::server
