#pragma once
// Serves one DataServer client over TLS: the handshake, then request frames
// until the client goes away, stalls mid-request or breaks the protocol.

#include <filesystem>
#include <string>

#include <openssl/types.h>

namespace dalvero::server {

class Storage;
class LoginService;

void ServeDataConnection(int fd, const std::string& remoteAddress, SSL_CTX* tls, Storage& storage,
                         LoginService& logins, const std::filesystem::path& dataFolder);

}  // namespace dalvero::server
