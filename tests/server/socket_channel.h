#pragma once
// A Channel over a connected stream socket (plain or TLS).
//
// A request begins with the first byte read after a reply was written (or
// with the connection's first byte): that byte may take up to idleSeconds to
// come, a client reading a screen between requests; every later byte of the
// request must come within stallSeconds of the one before. -1 waits without
// a limit.

#include "channel.h"

namespace dalvero {
class PlainSocket;
}

namespace dalvero::server {

class SocketChannel final : public Channel {
public:
    explicit SocketChannel(PlainSocket& socket, int idleSeconds = -1, int stallSeconds = -1)
        : socket_(socket), idleSeconds_(idleSeconds), stallSeconds_(stallSeconds) {}
    bool Read(void* data, std::size_t n) override;
    bool Write(const void* data, std::size_t n) override;

private:
    bool Receive(char* data, std::size_t n, int seconds);

    PlainSocket& socket_;
    int idleSeconds_;
    int stallSeconds_;
    bool betweenRequests_ = true;
};

}  // namespace dalvero::server
