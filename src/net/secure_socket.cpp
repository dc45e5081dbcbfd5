#include "secure_socket.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "net_start.h"
#include "socket_error.h"
#include "tls_context.h"

namespace dalvero {

SecureSocket::SecureSocket(SSL_CTX* context) {
    StartTls();
    if (context) {
        SSL_CTX_up_ref(context);
        context_ = context;
    } else {
        context_ = CreateClientTlsContext({}).release();
    }
    if (!context_) throw SocketError("CTX == NULL");
}

SecureSocket::~SecureSocket() {
    Close();
    SSL_CTX_free(context_);
}

void SecureSocket::SetUpTls() {
    if (fd_ < 0) throw SocketError("Socket == INVALID_SOCKET");
    SSL_free(ssl_);
    ssl_ = nullptr;
    failed_ = false;
    if (!context_) throw SocketError("ctx == NULL");
    ssl_ = SSL_new(context_);
    if (!ssl_) throw SocketError("ssl == NULL");
    BIO* bio = BIO_new_socket(fd_, BIO_NOCLOSE);
    if (!bio) throw SocketError("sslbio == NULL");
    SSL_set_bio(ssl_, bio, bio);
    // A record without payload (a session ticket) must end SSL_read instead
    // of blocking it, or a zero-time poll could hang.
    SSL_clear_mode(ssl_, SSL_MODE_AUTO_RETRY);
}

void SecureSocket::MarkFailed() {
    failed_ = true;
    ERR_clear_error();
}

int SecureSocket::Connect(const std::string& host, int port) {
    Close();
    keepOpen_ = false;
    state_ = SOCK_STATE_IDLE;
    host_ = host;
    if (TCPConnect(host, port) != 0) return SOCK_ERROR;
    SetUpTls();
    bool named;
    if (IsDottedAddress(host)) {
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str()) == 1;
    } else {
        named = SSL_set1_host(ssl_, host.c_str()) == 1 && SSL_set_tlsext_host_name(ssl_, host.c_str()) == 1;
    }
    if (!named || SSL_connect(ssl_) <= 0) {
        MarkFailed();
        Close();
        return SOCK_ERROR;
    }
    state_ = SOCK_STATE_CONNECTED;
    return SOCK_SUCCESS;
}

void SecureSocket::Close() {
    if (ssl_) {
        if (!failed_ && SSL_is_init_finished(ssl_)) SSL_shutdown(ssl_);
        SSL_free(ssl_);
        ssl_ = nullptr;
        ERR_clear_error();
    }
    PlainSocket::Close();
}

int SecureSocket::Attach(int fd, bool keepOpen) {
    Close();
    keepOpen_ = keepOpen;
    state_ = SOCK_STATE_IDLE;
    fd_ = fd < 0 ? -1 : fd;
    try {
        SetUpTls();
    } catch (const SocketError&) {
        CloseHandle();
        return SOCK_ERROR;
    }
    if (SSL_accept(ssl_) != 1) {
        MarkFailed();
        Close();
        return SOCK_ERROR;
    }
    state_ = SOCK_STATE_CONNECTED;
    ApplySocketOptions();
    return SOCK_SUCCESS;
}

bool SecureSocket::HasBufferedInput() const { return ssl_ && SSL_pending(ssl_) > 0; }

int SecureSocket::Send(const void* buffer, std::size_t length) {
    if (!buffer) return SOCK_ERROR;
    if (state_ != SOCK_STATE_CONNECTED) return SOCK_DISCONNECTED;
    const char* bytes = static_cast<const char*>(buffer);
    if (length == 0) length = std::strlen(bytes);
    std::size_t sent = 0;
    while (sent < length) {
        const int piece = static_cast<int>(std::min<std::size_t>(length - sent, INT_MAX));
        const int n = SSL_write(ssl_, bytes + sent, piece);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int error = SSL_get_error(ssl_, n);
        // On a blocking socket a write only wants to be retried when the
        // stall limit ran out: the peer stopped reading.
        if (error == SSL_ERROR_WANT_READ) continue;
        MarkFailed();
        return SOCK_ERROR;
    }
    return SOCK_SUCCESS;
}

int SecureSocket::ReceiveIntoBuffer() {
    if (state_ != SOCK_STATE_CONNECTED) return 0;
    const std::size_t room = kMaxBuffered - received_;
    if (room == 0) return static_cast<int>(received_);
    const int n = SSL_read(ssl_, buffer_.get() + received_, static_cast<int>(room));
    if (n > 0) {
        received_ += static_cast<std::size_t>(n);
        buffer_[received_] = 0;
        return n;
    }
    switch (SSL_get_error(ssl_, n)) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            return 0;
        case SSL_ERROR_ZERO_RETURN:
            break;
        default:
            MarkFailed();
            break;
    }
    Close();
    return 0;
}

}  // namespace dalvero
