#include "connection_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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
// Connections a worker re-armed are taken back at the latest this much later,
// so their idle deadlines start to count.
constexpr int kLongestSleepMs = 1000;

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
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || inet_pton(AF_INET, bindAddress.c_str(), &addr.sin_addr) != 1) {
        error = "bad listen address " + bindAddress + ":" + std::to_string(port);
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 1024) != 0) {
        error = "cannot listen on " + bindAddress + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    AddToEpoll(epollFd_, listenFd_, kListenId);
    AddToEpoll(epollFd_, wakeFd_, kWakeId);
    workers_ = std::make_unique<WorkerPool>(limits_.workers);
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
    connections_.clear();
    for (int* fd : {&listenFd_, &epollFd_, &wakeFd_}) {
        ::close(*fd);
        *fd = -1;
    }
}

void ConnectionServer::Loop() {
    std::vector<epoll_event> events(256);
    while (!stopping_) {
        int timeout = kLongestSleepMs;
        if (!deadlines_.empty()) {
            const auto wait = deadlines_.begin()->first - Clock::now();
            timeout = static_cast<int>(std::clamp<std::int64_t>(
                std::chrono::ceil<std::chrono::milliseconds>(wait).count(), 0, kLongestSleepMs));
        }
        const int n = ::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), timeout);
        // A re-armed connection's event may be among these: it is idle again first.
        TakeBackServed();
        for (int i = 0; i < n && !stopping_; ++i) {
            const std::uint64_t id = events[i].data.u64;
            if (id == kListenId) {
                AcceptAll();
            } else if (id == kWakeId) {
                std::uint64_t count = 0;
                (void)!::read(wakeFd_, &count, sizeof count);
                TakeBackServed();
            } else if (const auto it = connections_.find(id); it != connections_.end()) {
                it->second->armed = 0;  // one-shot: the event disarmed it
                OnReady(*it->second);
            }
        }
        ExpireDeadlines();
    }
}

void ConnectionServer::AcceptAll() {
    for (;;) {
        sockaddr_in peer{};
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
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        std::string remote = text;
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
            return Arm(connection, EPOLLIN);
        case TransportStream::Step::WantWrite:
            return Arm(connection, EPOLLOUT);
        case TransportStream::Step::Failed:
            LogThrottled(name_ + " handshake", name_ + ": TLS handshake with " + connection.remote + " failed");
            return Close(connection, nullptr);
        case TransportStream::Step::Done:
            connection.phase = Connection::Phase::Idle;
            connection.lastActive = Clock::now();
            SetDeadline(connection, connection.lastActive + std::chrono::seconds(limits_.idleSeconds));
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
        if (got == 0) return Arm(connection, EPOLLIN);
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
    Arm(connection, 0);  // mostly disarmed already by the event that brought the request
    workers_->Post([this, &connection, requestSize] {
        bool keep = false;
        std::size_t consumed = 0;
        {
            StreamChannel channel(connection, limits_.stallSeconds);
            try {
                keep = connection.handler->Serve(channel, requestSize);
            } catch (const std::exception& e) {
                Log(name_ + ": request from " + connection.remote + " failed: " + e.what());
            }
            consumed = channel.Consumed();
        }
        connection.input.erase(0, consumed);
        Served(connection, keep);  // last: the loop may own the connection from here on
    });
}

void ConnectionServer::Served(Connection& connection, bool keep) {
    // Nothing for the loop to do but wait for the client: re-arm here.
    const bool quiet = keep && connection.input.empty() && !connection.stream.HasPending();
    {
        // Under the lock: the loop takes the connection back (and may close
        // it) only after it is re-armed, and handles its next event only
        // after taking it back.
        std::lock_guard lock(servedMutex_);
        served_.push_back({connection.id, keep, quiet, Clock::now()});
        if (quiet) {
            epoll_event event{};
            event.events = EPOLLIN | EPOLLONESHOT;
            event.data.u64 = connection.id;
            ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, connection.stream.Fd(), &event);
            return;
        }
    }
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

void ConnectionServer::TakeBackServed() {
    std::vector<Finished> served;
    {
        std::lock_guard lock(servedMutex_);
        served.swap(served_);
    }
    for (const Finished& finished : served) {
        const auto it = connections_.find(finished.id);
        if (it == connections_.end()) continue;
        Connection& connection = *it->second;
        if (!finished.keep) {
            Close(connection, nullptr);
            continue;
        }
        connection.phase = Connection::Phase::Idle;
        connection.lastActive = finished.at;
        SetDeadline(connection, finished.at + std::chrono::seconds(limits_.idleSeconds));
        // An idle connection keeps no room a large request once needed.
        if (connection.input.empty()) std::string().swap(connection.input);
        if (finished.rearmed) {
            connection.armed = EPOLLIN;
            continue;
        }
        // The next request may already be here, in our buffer or the TLS layer's.
        if (!connection.input.empty()) {
            connection.phase = Connection::Phase::Request;
            SetDeadline(connection, Clock::now() + std::chrono::seconds(limits_.requestSeconds));
        }
        ReadRequest(connection);
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

void ConnectionServer::Arm(Connection& connection, unsigned events) {
    if (connection.armed == events) return;
    epoll_event event{};
    event.events = events | EPOLLONESHOT;
    event.data.u64 = connection.id;
    ::epoll_ctl(epollFd_, connection.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, connection.stream.Fd(), &event);
    connection.registered = true;
    connection.armed = events;
}

void ConnectionServer::SetDeadline(Connection& connection, Clock::time_point deadline) {
    deadlines_.erase({connection.deadline, connection.id});
    connection.deadline = deadline;
    deadlines_.emplace(deadline, connection.id);
}

void ConnectionServer::Close(Connection& connection, const char* why) {
    if (why) LogThrottled(name_ + " " + why, name_ + ": closed " + connection.remote + ": " + why);
    // Closing the descriptor takes it out of epoll.
    deadlines_.erase({connection.deadline, connection.id});
    if (--perAddress_[connection.remote] <= 0) perAddress_.erase(connection.remote);
    const Id id = connection.id;  // the key must outlive the erase
    connections_.erase(id);
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
