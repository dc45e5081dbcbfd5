#pragma once
// Serves one FunctionServer client: zero-terminated request texts in, one
// zero-terminated reply out for each, until the client goes away.

#include <string>

namespace dalvero::server {

class FunctionServer;

void ServeFunctionConnection(int fd, const std::string& remoteAddress, FunctionServer& functions);

}  // namespace dalvero::server
