#pragma once
// A server Channel over a connected stream socket, for the loopback
// DataServer the client's own connection code is pointed at. It waits
// without a limit: the server's time limits are the listener's.

#include "channel.h"

namespace dalvero {
class PlainSocket;
}

namespace dalvero::test {

class SocketChannel final : public server::Channel {
public:
    explicit SocketChannel(PlainSocket& socket) : socket_(socket) {}
    bool Read(void* data, std::size_t n) override;
    bool Write(const void* data, std::size_t n) override;

private:
    PlainSocket& socket_;
};

}  // namespace dalvero::test
