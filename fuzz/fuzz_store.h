#pragma once
// A demo data folder made once per fuzzing process, so every input meets a
// store with hospitals, cases, needs and code books in it.

#include <filesystem>

#include "server_config.h"

namespace dalvero::fuzz {

const server::ServerConfig& DemoFolder();

}  // namespace dalvero::fuzz
