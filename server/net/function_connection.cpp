#include "function_connection.h"

#include <string>

#include "connection_limits.h"
#include "function_server.h"
#include "plain_socket.h"
#include "server_log.h"

namespace dalvero::server {

namespace {

// Reads one request up to its zero byte; false when the client left, stalled
// or sent more than a request may hold.
bool ReadRequest(PlainSocket& socket, std::string& request) {
    request.clear();
    char first = 0;
    if (socket.Receive(&first, 1, kIdleSeconds, 0) != 1) return false;
    if (first == '\0') return true;
    request.push_back(first);
    constexpr std::size_t kPiece = 16 * 1024;
    std::string piece(kPiece + 1, '\0');
    for (;;) {
        const int got = socket.ReceiveUntilNul(piece.data(), kPiece, kStallSeconds, 0);
        if (got < 0) return false;
        if (got > 0) {
            request.append(piece.data(), static_cast<std::size_t>(got) - 1);  // without the zero
            return true;
        }
        request.append(piece.data(), kPiece);
        if (request.size() > kMaxFunctionRequest) return false;
    }
}

}  // namespace

void ServeFunctionConnection(int fd, const std::string& remoteAddress, FunctionServer& functions) {
    PlainSocket socket;
    if (socket.Attach(fd, /*keepOpen=*/true) != SOCK_SUCCESS) return;
    std::string request;
    while (ReadRequest(socket, request)) {
        const std::string reply = functions.HandleCommand(request, remoteAddress);
        if (socket.Send(reply.c_str(), reply.size() + 1) != SOCK_SUCCESS) break;
    }
    if (request.size() > kMaxFunctionRequest) Log("function request from " + remoteAddress + " too large; closed");
}

}  // namespace dalvero::server
