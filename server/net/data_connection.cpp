#include "data_connection.h"

#include <sys/socket.h>
#include <sys/time.h>

#include "connection_limits.h"
#include "data_server_session.h"
#include "secure_socket.h"
#include "server_log.h"
#include "socket_channel.h"

namespace dalvero::server {

namespace {

void SetSocketTimeouts(int fd, int seconds) {
    timeval tv{};
    tv.tv_sec = seconds;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

void ServeDataConnection(int fd, const std::string& remoteAddress, SSL_CTX* tls, Storage& storage,
                         LoginService& logins, const std::filesystem::path& dataFolder) {
    // The TLS handshake blocks in the library; a peer that never completes it
    // must not hold the thread.
    SetSocketTimeouts(fd, kHandshakeSeconds);
    SecureSocket socket(tls);
    if (socket.Attach(fd, /*keepOpen=*/true) != SOCK_SUCCESS) {
        Log("data server: TLS handshake with " + remoteAddress + " failed");
        return;
    }
    // Reads wait in select with their own limits; a client that stops reading
    // our replies is given up after a stall.
    SetSocketTimeouts(fd, 0);
    timeval send{};
    send.tv_sec = kStallSeconds;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);

    DataServerSession session(storage, logins, dataFolder, remoteAddress);
    SocketChannel channel(socket, kIdleSeconds, kStallSeconds);
    while (session.ServeNext(channel)) {
    }
}

}  // namespace dalvero::server
