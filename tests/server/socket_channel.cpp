#include "socket_channel.h"

#include <algorithm>

#include "frame.h"
#include "plain_socket.h"

namespace dalvero::test {

bool SocketChannel::Read(void* data, std::size_t n) {
    char* bytes = static_cast<char*>(data);
    for (std::size_t done = 0; done < n;) {
        const std::size_t piece = std::min(frame::kFilePiece, n - done);
        if (socket_.Receive(bytes + done, piece, -1, 0) != static_cast<int>(piece)) return false;
        done += piece;
    }
    return true;
}

bool SocketChannel::Write(const void* data, std::size_t n) {
    // The socket reads a length of 0 as "send up to the zero byte".
    return n == 0 || socket_.Send(data, n) == SOCK_SUCCESS;
}

}  // namespace dalvero::test
