#pragma once
// A raw TCP connection to a server on loopback, for input no client of ours
// would send: silence, plain text on a TLS port, bytes trickled one by one.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace dalvero::test {

class RawConnection {
public:
    // from: the loopback address to connect from (any of 127/8).
    explicit RawConnection(int port, const char* from = nullptr) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (from) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &local.sin_addr);
            ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        SetReadTimeout(5);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawConnection() { ::close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Connected() const { return connected_; }
    void SetReadTimeout(int seconds) {
        timeval tv{seconds, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    // False once the server has closed its end (or reset it).
    bool Send(std::string_view bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // What the server sends up to and with `end`; less when it closes or the
    // read time-out passes first.
    std::string ReadUntil(std::string_view end) {
        std::string got;
        char c = 0;
        while (got.find(end) == std::string::npos && ::recv(fd_, &c, 1, 0) == 1) got += c;
        return got;
    }

    // Whatever the server still sends (a TLS alert, say), then its close;
    // false when the read time-out passes first.
    bool ClosedByServer() {
        char buffer[256];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n == 0) return true;
            // Closing with our bytes unread makes the server's end reset.
            if (n < 0) return errno == ECONNRESET;
        }
    }

    // The same without waiting: false while the connection stands.
    bool ClosedNow() {
        char buffer[256];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0) return true;
            if (n < 0) return errno == ECONNRESET;
        }
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

}  // namespace dalvero::test
