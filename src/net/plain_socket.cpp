#include "plain_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "net_start.h"
#include "socket_error.h"

namespace dalvero {

namespace {

constexpr int kSocketBufferBytes = 131'072;

void SetIntOption(int fd, int level, int name, int value) {
    setsockopt(fd, level, name, &value, sizeof value);
}

bool ResolveIPv4(const std::string& host, in_addr* out) {
    if (inet_pton(AF_INET, host.c_str(), out) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    *out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

bool IsDisconnection(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == ENOTCONN || error == ETIMEDOUT ||
           error == ENETRESET;
}

}  // namespace

bool IsDottedAddress(const std::string& host) {
    in_addr unused{};
    return inet_pton(AF_INET, host.c_str(), &unused) == 1;
}

PlainSocket::PlainSocket() {
    StartNetwork();
    buffer_.reset(new (std::nothrow) char[kBufferSize]);
    if (!buffer_) throw SocketError("PlainSocket::Init()::recv_buffer allocate failed");
    std::memset(buffer_.get(), 0, kBufferSize);
}

PlainSocket::~PlainSocket() { CloseHandle(); }

int PlainSocket::TCPConnect(const std::string& host, int port) {
    if (host.size() > kMaxHostLength || port < 1 || port > 65'535) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!ResolveIPv4(host, &address.sin_addr)) return -1;
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return -1;
    ApplySocketOptions();
    SetIntOption(fd_, SOL_SOCKET, SO_REUSEADDR, 1);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        CloseHandle();
        return -1;
    }
    return 0;
}

void PlainSocket::ApplySocketOptions() {
    if (fd_ < 0) return;
    SetIntOption(fd_, SOL_SOCKET, SO_KEEPALIVE, 1);
    SetIntOption(fd_, SOL_SOCKET, SO_SNDBUF, kSocketBufferBytes);
    SetIntOption(fd_, SOL_SOCKET, SO_RCVBUF, kSocketBufferBytes);
    SetIntOption(fd_, IPPROTO_TCP, TCP_NODELAY, 1);
    if (stallSeconds_ > 0) {
        const timeval limit{stallSeconds_, 0};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
}

void PlainSocket::CloseHandle() {
    if (fd_ < 0) return;
    if (!keepOpen_) {
        shutdown(fd_, SHUT_WR);
        // Closing with unread input sends a reset, which can destroy data
        // the peer has not read yet; what is already here is discarded first.
        char sink[4096];
        std::size_t discarded = 0;
        ssize_t n;
        while (discarded < kBufferSize && (n = recv(fd_, sink, sizeof sink, MSG_DONTWAIT)) > 0)
            discarded += static_cast<std::size_t>(n);
        close(fd_);
    }
    fd_ = -1;
}

int PlainSocket::Connect(const std::string& host, int port) {
    Close();
    keepOpen_ = false;
    state_ = SOCK_STATE_IDLE;
    host_ = host;
    if (TCPConnect(host, port) != 0) return SOCK_TIMEOUT;
    state_ = SOCK_STATE_CONNECTED;
    return SOCK_SUCCESS;
}

void PlainSocket::Close() {
    if (state_ != SOCK_STATE_ERROR) {
        state_ = SOCK_STATE_IDLE;
        received_ = 0;
        buffer_[0] = 0;
    }
    CloseHandle();
}

int PlainSocket::Attach(int fd, bool keepOpen) {
    // Close first, so a descriptor this object owned is not kept open by the
    // new flag.
    Close();
    keepOpen_ = keepOpen;
    if (fd < 0) return SOCK_ERROR;
    fd_ = fd;
    state_ = SOCK_STATE_CONNECTED;
    ApplySocketOptions();
    return SOCK_SUCCESS;
}

int PlainSocket::Send(std::string_view text) {
    if (text.empty()) return state_ == SOCK_STATE_CONNECTED ? SOCK_SUCCESS : SOCK_DISCONNECTED;
    return Send(text.data(), text.size());
}

int PlainSocket::Send(const void* buffer, std::size_t length) {
    if (!buffer) return SOCK_ERROR;
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    const char* bytes = static_cast<const char*>(buffer);
    if (length == 0) length = std::strlen(bytes);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = send(fd_, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return SOCK_ERROR;
        sent += static_cast<std::size_t>(n);
    }
    return SOCK_SUCCESS;
}

int PlainSocket::ReceiveUntilNul(char* buffer, std::size_t max, int seconds, int microseconds) {
    if (!buffer || max > INT_MAX) return SOCK_ERROR;
    if (max == 0) return 0;
    std::memset(buffer, 0, max);
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    int result = 0;
    for (;;) {
        if (const void* zero = received_ > 0 ? std::memchr(buffer_.get(), 0, received_) : nullptr) {
            const auto n = static_cast<std::size_t>(static_cast<const char*>(zero) - buffer_.get()) + 1;
            if (n <= max) return static_cast<int>(TakeBuffered(buffer, n));
            break;
        }
        // A full buffer can take no more, so it is handed over as it is.
        if (max <= received_ || received_ == kMaxBuffered) break;
        if (WaitForData(true, seconds, microseconds) < 1) {
            result = state_ != SOCK_STATE_CONNECTED ? SOCK_DISCONNECTED : SOCK_TIMEOUT;
            break;
        }
    }
    buffer[TakeBuffered(buffer, max)] = 0;
    return result;
}

int PlainSocket::Receive(char* buffer, std::size_t length, int seconds, int microseconds) {
    if (!buffer || length > INT_MAX) return SOCK_ERROR;
    if (length == 0) return 0;
    std::memset(buffer, 0, length);
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    std::size_t placed = 0;
    while (placed < length) {
        if (WaitForData(false, seconds, microseconds) < 1) break;
        placed += TakeBuffered(buffer + placed, length - placed);
    }
    return static_cast<int>(placed);
}

std::size_t PlainSocket::TakeBuffered(char* destination, std::size_t max) {
    const std::size_t n = std::min(max, received_);
    std::memcpy(destination, buffer_.get(), n);
    // The rest moves down with its terminating 0.
    std::memmove(buffer_.get(), buffer_.get() + n, received_ - n + 1);
    received_ -= n;
    return n;
}

int PlainSocket::WaitReadable(std::chrono::steady_clock::time_point deadline, bool unlimited) {
    for (;;) {
        timespec remaining{};
        if (!unlimited) {
            const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                       std::chrono::steady_clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            remaining.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            remaining.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        pollfd watched{fd_, POLLIN, 0};
        const int n = ppoll(&watched, 1, unlimited ? nullptr : &remaining, nullptr);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (watched.revents & POLLNVAL)) return -1;
        return n == 0 ? 0 : 1;
    }
}

int PlainSocket::WaitForData(bool force, int seconds, int microseconds) {
    if (!force && received_ > 0) return static_cast<int>(received_);
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    const bool unlimited = seconds < 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(unlimited ? 0 : seconds) +
                          std::chrono::microseconds(unlimited ? 0 : std::max(microseconds, 0));
    for (;;) {
        if (!HasBufferedInput()) {
            const int ready = WaitReadable(deadline, unlimited);
            if (ready < 0) {
                Close();
                return SOCK_ERROR;
            }
            if (ready == 0) return SOCK_TIMEOUT;
        }
        const int got = ReceiveIntoBuffer();
        // Nothing while still connected: the readable data held no payload
        // (a TLS record such as a session ticket), so the wait goes on.
        if (got != 0 || state_ != SOCK_STATE_CONNECTED) return got;
    }
}

int PlainSocket::ReceiveIntoBuffer() {
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    const std::size_t room = kMaxBuffered - received_;
    if (room == 0) return static_cast<int>(received_);
    ssize_t n;
    do {
        n = recv(fd_, buffer_.get() + received_, room, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        received_ += static_cast<std::size_t>(n);
        buffer_[received_] = 0;
        return static_cast<int>(n);
    }
    if (n == 0) {
        Close();
        return SOCK_DISCONNECTED;
    }
    const int error = errno;
    Close();
    if (IsDisconnection(error)) {
        state_ = SOCK_STATE_IDLE;
        return SOCK_DISCONNECTED;
    }
    state_ = SOCK_STATE_ERROR;
    return SOCK_ERROR;
}

bool PlainSocket::IsConnected() {
    WaitForData(true, 0, 0);
    return state_ == SOCK_STATE_CONNECTED;
}

}  // namespace dalvero
