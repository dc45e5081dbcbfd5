#include "socket_channel.h"

#include <algorithm>

#include "frame.h"
#include "plain_socket.h"

namespace dalvero::server {

bool SocketChannel::Receive(char* data, std::size_t n, int seconds) {
    for (std::size_t done = 0; done < n;) {
        const std::size_t piece = std::min(frame::kFilePiece, n - done);
        if (socket_.Receive(data + done, piece, seconds, 0) != static_cast<int>(piece)) return false;
        done += piece;
    }
    return true;
}

bool SocketChannel::Read(void* data, std::size_t n) {
    char* bytes = static_cast<char*>(data);
    if (n > 0 && betweenRequests_) {
        if (!Receive(bytes, 1, idleSeconds_)) return false;
        betweenRequests_ = false;
        ++bytes;
        --n;
    }
    return Receive(bytes, n, stallSeconds_);
}

bool SocketChannel::Write(const void* data, std::size_t n) {
    betweenRequests_ = true;
    // The socket reads a length of 0 as "send up to the zero byte".
    return n == 0 || socket_.Send(data, n) == SOCK_SUCCESS;
}

}  // namespace dalvero::server
