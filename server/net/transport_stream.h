#pragma once
// One accepted connection's bytes, plain or TLS, on a non-blocking socket.
// The event loop calls the non-blocking steps; a worker serving a request
// calls the waiting forms, which give up at an absolute deadline so that a
// peer trickling bytes, or reading none of ours, cannot hold a thread.

#include <chrono>
#include <cstddef>
#include <string>

#include <openssl/types.h>

namespace dalvero::server {

using Clock = std::chrono::steady_clock;

class TransportStream {
public:
    // tls: nullptr for a plain connection. Takes the descriptor.
    TransportStream(int fd, SSL_CTX* tls);
    ~TransportStream();
    TransportStream(const TransportStream&) = delete;
    TransportStream& operator=(const TransportStream&) = delete;

    enum class Step { Done, WantRead, WantWrite, Failed };
    // Advances the TLS server handshake (Done at once for plain connections).
    Step Handshake();
    // Why the handshake failed, in OpenSSL's words where it gave any.
    const std::string& HandshakeFailure() const { return failure_; }
    // Bytes placed (> 0), 0 when none are waiting, -1 when the peer left or
    // the connection failed.
    long ReadSome(char* data, std::size_t n);
    // Bytes held inside the TLS layer (decrypted, or read ahead and not yet
    // decrypted), where epoll cannot see them.
    bool HasPending() const;

    // Bytes sent (n when all went), 0 when none could go now, -1 when the
    // connection failed. A TLS write that could not go must be retried with
    // the same bytes (WriteAll from the same place).
    long WriteSome(const char* data, std::size_t n);

    bool ReadExact(char* data, std::size_t n, Clock::time_point deadline);
    bool WriteAll(const char* data, std::size_t n, Clock::time_point deadline);

    int Fd() const { return fd_; }
    // Wakes a worker blocked on this connection (server stop).
    void Interrupt();

private:
    // Waits for what the last step wanted; false at the deadline or on failure.
    bool Wait(bool forWrite, Clock::time_point deadline);

    int fd_;
    SSL* ssl_ = nullptr;
    bool failed_ = false;
    std::string failure_;
};

}  // namespace dalvero::server
