#pragma once
// The data folder's private files (keys, database, mail outbox, settings)
// readable by the server's account alone. Folders made by older versions
// left some of them open to every local user.

#include "server_config.h"

namespace dalvero::server {

// Tightens what exists; missing files are skipped. Throws ConfigError when a
// file's permissions cannot be changed.
void RestrictPrivateFiles(const ServerConfig& config);

}  // namespace dalvero::server
