#include "transport_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace dalvero::server {

namespace {

// The outcome of a TLS call that did not succeed.
TransportStream::Step TlsStep(SSL* ssl, int result) {
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return TransportStream::Step::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return TransportStream::Step::WantWrite;
    default:
        ERR_clear_error();
        return TransportStream::Step::Failed;
    }
}

}  // namespace

TransportStream::TransportStream(int fd, SSL_CTX* tls) : fd_(fd) {
    if (!tls) return;
    ssl_ = SSL_new(tls);
    if (!ssl_ || SSL_set_fd(ssl_, fd_) != 1) {
        failed_ = true;
        return;
    }
    SSL_set_accept_state(ssl_);
    // Takes a whole record (and whatever follows it) in one read instead of
    // its header and body in two.
    SSL_set_read_ahead(ssl_, 1);
}

TransportStream::~TransportStream() {
    if (ssl_) {
        // close_notify only on a sound connection; never wait for the peer's.
        if (!failed_ && SSL_is_init_finished(ssl_)) SSL_shutdown(ssl_);
        SSL_free(ssl_);
    }
    ::close(fd_);
}

TransportStream::Step TransportStream::Handshake() {
    if (failed_) return Step::Failed;
    if (!ssl_) return Step::Done;
    const int result = SSL_do_handshake(ssl_);
    if (result == 1) return Step::Done;
    // The reason is read before TlsStep empties OpenSSL's error queue.
    const unsigned long error = ERR_peek_last_error();
    const int kind = SSL_get_error(ssl_, result);
    const Step step = TlsStep(ssl_, result);
    if (step == Step::Failed) {
        failed_ = true;
        const char* reason = error ? ERR_reason_error_string(error) : nullptr;
        failure_ = reason ? reason
                   : kind == SSL_ERROR_SYSCALL || kind == SSL_ERROR_ZERO_RETURN ? "the peer closed the connection"
                                                                                : "handshake failed";
    }
    return step;
}

long TransportStream::ReadSome(char* data, std::size_t n) {
    if (failed_) return -1;
    if (!ssl_) {
        for (;;) {
            const ssize_t got = ::recv(fd_, data, n, 0);
            if (got > 0) return got;
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
            return -1;
        }
    }
    const int got = SSL_read(ssl_, data, static_cast<int>(n));
    if (got > 0) return got;
    const Step step = TlsStep(ssl_, got);
    // A read that must first write (answering a TLS 1.3 key update) is
    // retried on the next readiness like a read without data.
    if (step == Step::WantRead || step == Step::WantWrite) return 0;
    failed_ = true;
    return -1;
}

// With read-ahead, bytes of a record not yet decrypted count too.
bool TransportStream::HasPending() const { return ssl_ && SSL_has_pending(ssl_) == 1; }

bool TransportStream::Wait(bool forWrite, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd_, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

bool TransportStream::ReadExact(char* data, std::size_t n, Clock::time_point deadline) {
    for (std::size_t done = 0; done < n;) {
        const long got = ReadSome(data + done, n - done);
        if (got < 0) return false;
        if (got > 0) {
            done += static_cast<std::size_t>(got);
            continue;
        }
        if (!Wait(ssl_ && SSL_want_write(ssl_), deadline)) {
            failed_ = true;  // a request cut off mid-way leaves the stream out of step
            return false;
        }
    }
    return true;
}

long TransportStream::WriteSome(const char* data, std::size_t n) {
    if (failed_) return -1;
    if (n == 0) return 0;
    if (ssl_) {
        const int sent = SSL_write(ssl_, data, static_cast<int>(n));
        if (sent > 0) return sent;
        failed_ = TlsStep(ssl_, sent) == Step::Failed;
        return failed_ ? -1 : 0;
    }
    for (;;) {
        const ssize_t sent = ::send(fd_, data, n, MSG_NOSIGNAL);
        if (sent > 0) return sent;
        if (sent < 0 && errno == EINTR) continue;
        failed_ = sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        return failed_ ? -1 : 0;
    }
}

bool TransportStream::WriteAll(const char* data, std::size_t n, Clock::time_point deadline) {
    for (std::size_t done = 0; done < n;) {
        const long sent = WriteSome(data + done, n - done);
        if (sent < 0) return false;
        done += static_cast<std::size_t>(sent);
        // A half-written reply cannot be resumed: the connection ends with it.
        if (sent == 0 && !Wait(!(ssl_ && SSL_want_read(ssl_)), deadline)) {
            failed_ = true;
            return false;
        }
    }
    return true;
}

void TransportStream::Interrupt() { ::shutdown(fd_, SHUT_RDWR); }

}  // namespace dalvero::server
