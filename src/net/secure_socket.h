#pragma once
// PlainSocket's stream operations over TLS. Connect runs the client
// handshake and verifies the server (chain and host name, as the context
// says); Attach runs the server handshake on an accepted descriptor. The
// receive buffer, waits, result codes and states are the base's.

#include <openssl/types.h>

#include "plain_socket.h"

namespace dalvero {

class SecureSocket : public PlainSocket {
public:
    // context: the object takes its own reference, so the caller may free
    // its one at any time. nullptr: a client context on the system trust
    // store; SocketError("CTX == NULL") when none can be made.
    explicit SecureSocket(SSL_CTX* context = nullptr);
    ~SecureSocket() override;

    // An unknown host, a failed connect or a failed handshake or verification
    // gives SOCK_ERROR. Failures to set up the TLS object ("ssl == NULL",
    // "sslbio == NULL") are raised as SocketError.
    int Connect(const std::string& host, int port) override;
    void Close() override;
    // Runs the server handshake once; on failure the descriptor is closed
    // unless keepOpen.
    int Attach(int fd, bool keepOpen) override;
    using PlainSocket::Send;
    int Send(const void* buffer, std::size_t length) override;

protected:
    bool HasBufferedInput() const override;
    // A peer that closed or failed places 0 bytes; the next call then finds
    // the socket disconnected.
    int ReceiveIntoBuffer() override;

private:
    void SetUpTls();
    // After a fatal error the connection may not send close_notify.
    void MarkFailed();

    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    bool failed_ = false;
};

}  // namespace dalvero
