#include "fake_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "net_start.h"

namespace dalvero::test {

namespace {
// Larger frames are taken as garbage rather than allocated.
constexpr std::uint32_t kMaxFrame = 64u << 20;
constexpr std::size_t kReadPiece = 65'536;
}  // namespace

std::string PeerMessage::Text() const { return payload.substr(0, payload.find('\0')); }

// One accepted connection with a read-ahead buffer.
struct PeerLink {
    FakePeer& peer;
    int fd;
    SSL* ssl = nullptr;
    std::size_t index;
    std::string pending;

    // Reads what is there (at least one byte); false at the end of input.
    bool Fill() {
        char piece[kReadPiece];
        for (;;) {
            const long n = ssl ? SSL_read(ssl, piece, sizeof piece) : recv(fd, piece, sizeof piece, 0);
            if (n > 0) {
                pending.append(piece, static_cast<std::size_t>(n));
                return true;
            }
            if (!ssl && n < 0 && errno == EINTR) continue;
            ERR_clear_error();
            return false;
        }
    }

    bool Take(std::size_t n, std::string& out) {
        while (pending.size() < n)
            if (!Fill()) return false;
        out = pending.substr(0, n);
        pending.erase(0, n);
        return true;
    }

    bool TakeText(std::string& out) {
        std::size_t zero;
        while ((zero = pending.find('\0')) == std::string::npos)
            if (!Fill()) return false;
        out = pending.substr(0, zero);
        pending.erase(0, zero + 1);
        return true;
    }

    bool Write(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const long n = ssl ? SSL_write(ssl, bytes.data() + sent, static_cast<int>(bytes.size() - sent))
                               : send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                if (!ssl && errno == EINTR) continue;
                ERR_clear_error();
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    void Record(PeerMessage message) {
        message.connection = index;
        peer.Log(std::move(message));
    }

    bool ReadFrame(PeerMessage& message) {
        std::string head;
        if (!Take(frame::kHeaderSize, head)) return false;
        message.framed = true;
        message.header = frame::DecodeHeader(reinterpret_cast<const std::uint8_t*>(head.data()));
        return message.header.length <= kMaxFrame && Take(message.header.length, message.payload);
    }

    // Closes the descriptor unless Reset already did.
    void Release() {
        if (fd < 0) return;
        {
            std::lock_guard lock(peer.mutex_);
            peer.open_.erase(fd);
        }
        close(fd);
        fd = -1;
    }
};

PeerScript& PeerScript::Add(std::string name, Step step) {
    steps_.emplace_back(std::move(name), std::move(step));
    return *this;
}

PeerScript& PeerScript::ReadFrame() {
    return Add("ReadFrame", [](PeerLink& link) {
        PeerMessage message;
        if (!link.ReadFrame(message)) return false;
        link.Record(std::move(message));
        return true;
    });
}

PeerScript& PeerScript::ReadText() {
    return Add("ReadText", [](PeerLink& link) {
        PeerMessage message;
        if (!link.TakeText(message.payload)) return false;
        link.Record(std::move(message));
        return true;
    });
}

PeerScript& PeerScript::ReadSizedContent() {
    return Add("ReadSizedContent", [](PeerLink& link) {
        std::string size;
        PeerMessage message;
        if (!link.Take(4, size)) return false;
        const std::uint32_t n = frame::GetUint32(reinterpret_cast<const std::uint8_t*>(size.data()));
        if (n > kMaxFrame || !link.Take(n, message.payload)) return false;
        link.Record(std::move(message));
        return true;
    });
}

PeerScript& PeerScript::ReadUntilClosed() {
    return Add("ReadUntilClosed", [](PeerLink& link) {
        while (link.Fill()) {
        }
        PeerMessage message;
        message.payload = std::move(link.pending);
        link.pending.clear();
        link.Record(std::move(message));
        return true;
    });
}

PeerScript& PeerScript::Send(std::string bytes) {
    return Add("Send", [bytes = std::move(bytes)](PeerLink& link) { return link.Write(bytes); });
}

PeerScript& PeerScript::Reply(std::string text) {
    text.push_back('\0');
    return Send(std::move(text));
}

PeerScript& PeerScript::SendPieces(std::string bytes, std::size_t pieceSize, std::chrono::milliseconds pause) {
    return Add("SendPieces", [bytes = std::move(bytes), pieceSize, pause](PeerLink& link) {
        for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
            if (!link.Write(bytes.substr(at, pieceSize))) return false;
            std::this_thread::sleep_for(pause);
        }
        return true;
    });
}

PeerScript& PeerScript::Close() {
    return Add("Close", [](PeerLink& link) {
        if (link.ssl) SSL_shutdown(link.ssl);
        shutdown(link.fd, SHUT_WR);
        return true;
    });
}

PeerScript& PeerScript::Reset() {
    return Add("Reset", [](PeerLink& link) {
        const linger abortive{1, 0};
        setsockopt(link.fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        link.Release();
        return true;
    });
}

PeerScript& PeerScript::ServeFrames(Maker make) {
    return Add("ServeFrames", [make = std::move(make)](PeerLink& link) {
        for (;;) {
            PeerMessage message;
            if (!link.ReadFrame(message)) return true;
            link.Record(message);
            if (!link.Write(make(message))) return false;
        }
    });
}

FakePeer::FakePeer(PeerScript script, std::optional<Tls> tls)
    : FakePeer(std::vector<PeerScript>{std::move(script)}, std::move(tls)) {
    oneScript_ = true;
}

FakePeer::FakePeer(std::vector<PeerScript> scripts, std::optional<Tls> tls) : scripts_(std::move(scripts)) {
    StartTls();
    if (tls) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        if (!context || SSL_CTX_use_certificate_chain_file(context, tls->certFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(context, tls->keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            SSL_CTX_free(context);
            throw std::runtime_error("FakePeer: cannot load the TLS certificate or key");
        }
        tlsContext_ = context;
    }
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 16) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listenFd_ >= 0) close(listenFd_);
        SSL_CTX_free(static_cast<SSL_CTX*>(tlsContext_));
        throw std::runtime_error("FakePeer: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread(&FakePeer::AcceptLoop, this);
}

FakePeer::~FakePeer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    shutdown(listenFd_, SHUT_RDWR);
    acceptor_.join();
    close(listenFd_);
    {
        std::lock_guard lock(mutex_);
        for (int fd : open_) shutdown(fd, SHUT_RDWR);
    }
    for (auto& handler : handlers_) handler.join();
    SSL_CTX_free(static_cast<SSL_CTX*>(tlsContext_));
}

void FakePeer::AcceptLoop() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED)) continue;
        std::lock_guard lock(mutex_);
        if (fd < 0 || stopping_) {
            if (fd >= 0) close(fd);
            return;
        }
        open_.insert(fd);
        handlers_.emplace_back(&FakePeer::Serve, this, fd, accepted_++);
    }
}

const PeerScript* FakePeer::ScriptFor(std::size_t index) const {
    if (oneScript_) return &scripts_.front();
    return index < scripts_.size() ? &scripts_[index] : nullptr;
}

void FakePeer::Serve(int fd, std::size_t index) {
    PeerLink link{*this, fd, nullptr, index, {}};
    const PeerScript* script = ScriptFor(index);
    bool ready = script != nullptr;
    if (ready && tlsContext_) {
        link.ssl = SSL_new(static_cast<SSL_CTX*>(tlsContext_));
        ready = link.ssl && SSL_set_fd(link.ssl, fd) == 1 && SSL_accept(link.ssl) == 1;
        if (!ready) {
            ERR_clear_error();
            Problem("connection " + std::to_string(index) + ": TLS handshake failed");
        }
    }
    if (ready) {
        for (const auto& [name, step] : script->steps_) {
            if (link.fd < 0) break;
            if (!step(link)) {
                Problem("connection " + std::to_string(index) + ": " + name + " failed");
                break;
            }
        }
        // Left open until the client goes.
        if (link.fd >= 0)
            while (link.Fill()) link.pending.clear();
    }
    SSL_free(link.ssl);
    link.Release();
    std::lock_guard lock(mutex_);
    ++finished_;
    changed_.notify_all();
}

void FakePeer::Log(PeerMessage message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(message));
}

void FakePeer::Problem(std::string text) {
    std::lock_guard lock(mutex_);
    problems_.push_back(std::move(text));
}

std::vector<PeerMessage> FakePeer::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> FakePeer::Problems() const {
    std::lock_guard lock(mutex_);
    return problems_;
}

std::size_t FakePeer::Connections() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

bool FakePeer::WaitFinished(std::size_t connections, std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return finished_ >= connections; });
}

}  // namespace dalvero::test
