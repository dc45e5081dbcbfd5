#include "connection_server.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server_log.h"
#include "stream_channel.h"
#include "worker_pool.h"

namespace dalvero::server {

namespace {

constexpr std::uint64_t kListenId = 0;
constexpr std::uint64_t kWakeId = UINT64_MAX;
constexpr std::size_t kReadPiece = 16 * 1024;

void AddToEpoll(int epollFd, int fd, std::uint64_t id) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = id;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event);
}

}  // namespace

ConnectionServer::ConnectionServer(std::string name, ConnectionProtocol& protocol, SSL_CTX* tls,
                                   const ConnectionLimits& limits)
    : name_(std::move(name)), protocol_(protocol), tls_(tls), limits_(limits) {}

ConnectionServer::~ConnectionServer() { Stop(); }

bool ConnectionServer::Start(const std::string& bindAddress, int port, std::string& error) {
    const std::string where = bindAddress + ":" + std::to_string(port);
    // A host name ("localhost") or an IPv4 or IPv6 literal; the first address
    // it names is the one served.
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (port < 0 || port > 65535 || bindAddress.empty() ||
        ::getaddrinfo(bindAddress.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) {
        error = "bad listen address " + where;
        return false;
    }
    listenFd_ = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) {
        error = std::strerror(errno);
        ::freeaddrinfo(found);
        return false;
    }
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const bool bound = ::bind(listenFd_, found->ai_addr, found->ai_addrlen) == 0 && ::listen(listenFd_, 1024) == 0;
    ::freeaddrinfo(found);
    if (!bound) {
        error = "cannot listen on " + where + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(addr).sin6_port
                                             : reinterpret_cast<const sockaddr_in&>(addr).sin_port);
    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    AddToEpoll(epollFd_, listenFd_, kListenId);
    AddToEpoll(epollFd_, wakeFd_, kWakeId);
    workers_ = std::make_unique<WorkerPool>(limits_.workers);
    waitingWorkers_ = std::make_unique<WorkerPool>(limits_.workers);
    loop_ = std::thread([this] { Loop(); });
    Log(name_ + " listening on " + bindAddress + ":" + std::to_string(port_));
    return true;
}

void ConnectionServer::Stop() {
    if (!loop_.joinable() || stopping_.exchange(true)) return;
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
    loop_.join();
    // Workers blocked on a client wake when its socket shuts down; queued
    // requests then fail at once.
    for (auto& [id, connection] : connections_)
        if (connection->phase == Connection::Phase::Busy) connection->stream.Interrupt();
    workers_.reset();
    waitingWorkers_.reset();
    connections_.clear();
    open_ = 0;
    for (int* fd : {&listenFd_, &epollFd_, &wakeFd_}) {
        ::close(*fd);
        *fd = -1;
    }
}

void ConnectionServer::Loop() {
    std::vector<epoll_event> events(256);
    while (!stopping_) {
        int timeout = -1;
        if (!deadlines_.empty()) {
            const auto wait = deadlines_.begin()->first - Clock::now();
            timeout = static_cast<int>(std::max<std::int64_t>(
                0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        }
        const int n = ::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), timeout);
        for (int i = 0; i < n && !stopping_; ++i) {
            const std::uint64_t id = events[i].data.u64;
            if (id == kListenId) {
                AcceptAll();
            } else if (id == kWakeId) {
                std::uint64_t count = 0;
                (void)!::read(wakeFd_, &count, sizeof count);
                TakeBackServed();
            } else if (const auto it = connections_.find(id); it != connections_.end()) {
                OnReady(*it->second);
            }
        }
        ExpireDeadlines();
    }
}

void ConnectionServer::AcceptAll() {
    for (;;) {
        sockaddr_storage peer{};
        socklen_t len = sizeof peer;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE) {
                // Out of descriptors: stop accepting until a connection ends,
                // rather than spin on a listener that stays readable.
                LogThrottled(name_ + " accept", name_ + " accept failed: " + std::strerror(errno));
                PauseAccepting(true);
            } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
                LogThrottled(name_ + " accept", name_ + " accept failed: " + std::strerror(errno));
            }
            return;
        }
        char text[INET6_ADDRSTRLEN] = {};
        if (peer.ss_family == AF_INET6)
            ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr, text, sizeof text);
        else
            ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(peer).sin_addr, text, sizeof text);
        std::string remote = text;
        if (!protocol_.Admits(remote)) {
            LogThrottled(name_ + " not allowed", name_ + " refused " + remote + ": not an allowed address");
            ::close(fd);
            continue;
        }
        if (!MakeRoom(remote)) {
            LogThrottled(name_ + " refused", name_ + " refused " + remote + ": too many connections");
            ::close(fd);
            continue;
        }
        // Replies are whole when written; holding a short one back until
        // the client acknowledges the last costs every request its delay.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        const Id id = nextId_++;
        auto connection = std::make_unique<Connection>(id, fd, tls_, remote);
        connection->lastActive = Clock::now();
        connection->handler = protocol_.Open(remote);
        Connection& added = *connection;
        connections_.emplace(id, std::move(connection));
        open_ = connections_.size();
        ++perAddress_[remote];
        SetDeadline(added, added.lastActive + std::chrono::seconds(limits_.handshakeSeconds));
        OnReady(added);
    }
}

// Frees a place for a new connection from remote, or says there is none.
bool ConnectionServer::MakeRoom(const std::string& remote) {
    const auto counted = perAddress_.find(remote);
    const bool addressFull = counted != perAddress_.end() && counted->second >= limits_.perAddress;
    const bool totalFull = connections_.size() >= static_cast<std::size_t>(limits_.maxConnections);
    if (!addressFull && !totalFull) return true;
    Connection* waiting = nullptr;  // longest waiting for its handshake
    Connection* idle = nullptr;     // longest idle
    for (auto& [id, c] : connections_) {
        if (addressFull && c->remote != remote) continue;
        if (c->phase == Connection::Phase::Handshake && (!waiting || c->lastActive < waiting->lastActive))
            waiting = c.get();
        if (c->phase == Connection::Phase::Idle && (!idle || c->lastActive < idle->lastActive)) idle = c.get();
    }
    if (waiting) {
        Close(*waiting, "made room for a new connection");
        return true;
    }
    // One address must not push out another's working clients.
    if (addressFull || !idle) return false;
    Close(*idle, "made room for a new connection");
    return true;
}

void ConnectionServer::OnReady(Connection& connection) {
    if (connection.phase == Connection::Phase::Handshake) {
        switch (connection.stream.Handshake()) {
        case TransportStream::Step::WantRead:
            return Watch(connection, EPOLLIN);
        case TransportStream::Step::WantWrite:
            return Watch(connection, EPOLLOUT);
        case TransportStream::Step::Failed:
            LogThrottled(name_ + " handshake", name_ + ": TLS handshake with " + connection.remote + " failed: " +
                                                          connection.stream.HandshakeFailure());
            return Close(connection, nullptr);
        case TransportStream::Step::Done:
            connection.phase = Connection::Phase::Idle;
            connection.lastActive = Clock::now();
            SetDeadline(connection, connection.lastActive + std::chrono::seconds(limits_.idleSeconds));
            Watch(connection, EPOLLIN);
            break;
        }
    }
    ReadRequest(connection);
}

void ConnectionServer::ReadRequest(Connection& connection) {
    char piece[kReadPiece];
    for (;;) {
        const std::size_t size = protocol_.RequestSize(connection.input);
        if (size == ConnectionProtocol::kBroken) {
            LogThrottled(name_ + " broken", name_ + ": request from " + connection.remote + " refused; closed");
            return Close(connection, nullptr);
        }
        if (size > 0) return Dispatch(connection, size);
        const long got = connection.stream.ReadSome(piece, sizeof piece);
        if (got < 0) return Close(connection, nullptr);
        if (got == 0) return;
        connection.input.append(piece, static_cast<std::size_t>(got));
        if (connection.phase == Connection::Phase::Idle) {
            // The whole request must come within its time, however it trickles.
            connection.phase = Connection::Phase::Request;
            SetDeadline(connection, Clock::now() + std::chrono::seconds(limits_.requestSeconds));
        }
    }
}

void ConnectionServer::Dispatch(Connection& connection, std::size_t requestSize) {
    connection.phase = Connection::Phase::Busy;
    deadlines_.erase({connection.deadline, connection.id});
    Watch(connection, 0);
    WorkerPool& pool = protocol_.MayWait(connection.input) ? *waitingWorkers_ : *workers_;
    pool.Post([this, &connection, requestSize] {
        bool keep = false;
        StreamChannel channel(connection, limits_);
        try {
            keep = connection.handler->Serve(channel, requestSize);
        } catch (const std::exception& e) {
            Log(name_ + ": request from " + connection.remote + " failed: " + e.what());
        }
        connection.input.erase(0, channel.Consumed());
        Served(connection.id, keep);
    });
}

void ConnectionServer::Served(Id id, bool keep) {
    {
        std::lock_guard lock(servedMutex_);
        served_.emplace_back(id, keep);
    }
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

void ConnectionServer::TakeBackServed() {
    std::vector<std::pair<Id, bool>> served;
    {
        std::lock_guard lock(servedMutex_);
        served.swap(served_);
    }
    for (const auto& [id, keep] : served) {
        const auto it = connections_.find(id);
        if (it == connections_.end()) continue;
        Connection& connection = *it->second;
        if (!keep) {
            Close(connection, nullptr);
            continue;
        }
        connection.phase = Connection::Phase::Idle;
        connection.lastActive = Clock::now();
        SetDeadline(connection, connection.lastActive + std::chrono::seconds(limits_.idleSeconds));
        Watch(connection, EPOLLIN);
        // An idle connection keeps no room a large request once needed.
        if (connection.input.empty()) std::string().swap(connection.input);
        // The next request may already be here, in our buffer or the TLS layer's.
        if (!connection.input.empty() || connection.stream.HasPending()) {
            if (!connection.input.empty()) {
                connection.phase = Connection::Phase::Request;
                SetDeadline(connection, Clock::now() + std::chrono::seconds(limits_.requestSeconds));
            }
            ReadRequest(connection);
        }
    }
}

void ConnectionServer::ExpireDeadlines() {
    const auto now = Clock::now();
    while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
        Connection& connection = *connections_.at(deadlines_.begin()->second);
        const bool handshake = connection.phase == Connection::Phase::Handshake;
        if (connection.phase != Connection::Phase::Idle)
            LogThrottled(name_ + " deadline", name_ + ": " + connection.remote + " too slow with its " +
                                                  (handshake ? "handshake" : "request") + "; closed");
        Close(connection, nullptr);
    }
}

void ConnectionServer::Watch(Connection& connection, unsigned events) {
    if (connection.watched == events) return;
    epoll_event event{};
    event.events = events;
    event.data.u64 = connection.id;
    const int fd = connection.stream.Fd();
    if (events == 0)
        ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, &event);
    else
        ::epoll_ctl(epollFd_, connection.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event);
    connection.watched = events;
}

void ConnectionServer::SetDeadline(Connection& connection, Clock::time_point deadline) {
    deadlines_.erase({connection.deadline, connection.id});
    connection.deadline = deadline;
    deadlines_.emplace(deadline, connection.id);
}

void ConnectionServer::Close(Connection& connection, const char* why) {
    if (why) LogThrottled(name_ + " " + why, name_ + ": closed " + connection.remote + ": " + why);
    Watch(connection, 0);
    deadlines_.erase({connection.deadline, connection.id});
    if (--perAddress_[connection.remote] <= 0) perAddress_.erase(connection.remote);
    const Id id = connection.id;  // the key must outlive the erase
    connections_.erase(id);
    open_ = connections_.size();
    PauseAccepting(false);
}

void ConnectionServer::PauseAccepting(bool pause) {
    if (pause == acceptPaused_) return;
    acceptPaused_ = pause;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kListenId;
    ::epoll_ctl(epollFd_, pause ? EPOLL_CTL_DEL : EPOLL_CTL_ADD, listenFd_, &event);
}

}  // namespace dalvero::server
