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
#include <deque>
#include <set>
#include <utility>

#include "server_log.h"
#include "stream_channel.h"
#include "worker_pool.h"

namespace dalvero::server {

namespace {

constexpr std::uint64_t kListenId = 0;
constexpr std::uint64_t kWakeId = UINT64_MAX;
constexpr std::size_t kReadPiece = 16 * 1024;
// Pipelined requests a connection has served on its loop before the loop's
// other connections get their turn.
constexpr int kRequestsPerTurn = 16;
// Buffers that grew past this for one large request are not kept idle.
constexpr std::size_t kKeptBuffer = 4096;

void AddToEpoll(int epollFd, int fd, std::uint64_t id, unsigned events) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = id;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event);
}

void Shrink(std::string& buffer) {
    if (buffer.empty() && buffer.capacity() > kKeptBuffer) std::string().swap(buffer);
}

}  // namespace

struct ConnectionServer::EventLoop {
    std::size_t index = 0;
    int epollFd = -1;
    int wakeFd = -1;
    std::thread thread;

    // Its own thread only.
    std::map<Id, std::unique_ptr<Connection>> connections;
    std::set<std::pair<Clock::time_point, Id>> deadlines;
    std::deque<Id> turns;  // connections whose turn ended with requests left

    // Handed in by other threads.
    std::mutex mutex;
    std::vector<std::unique_ptr<Connection>> arrived;  // accepted by the first loop
    std::vector<Id> evicted;                           // closed to make room
    std::vector<std::pair<Id, bool>> served;           // back from workers, and whether to keep them
};

ConnectionServer::ConnectionServer(std::string name, ConnectionProtocol& protocol, SSL_CTX* tls,
                                   const ConnectionLimits& limits, unsigned loops)
    : name_(std::move(name)),
      protocol_(protocol),
      tls_(tls),
      limits_(limits),
      loopCount_(loops ? loops : std::max(1u, std::thread::hardware_concurrency())) {}

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
    workers_ = std::make_unique<WorkerPool>(limits_.workers);
    waitingWorkers_ = std::make_unique<WorkerPool>(limits_.workers);
    for (unsigned i = 0; i < loopCount_; ++i) {
        auto loop = std::make_unique<EventLoop>();
        loop->index = i;
        loop->epollFd = ::epoll_create1(EPOLL_CLOEXEC);
        loop->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        AddToEpoll(loop->epollFd, loop->wakeFd, kWakeId, EPOLLIN);
        loops_.push_back(std::move(loop));
    }
    AddToEpoll(loops_[0]->epollFd, listenFd_, kListenId, EPOLLIN);
    for (auto& loop : loops_) loop->thread = std::thread([this, &loop = *loop] { Run(loop); });
    Log(name_ + " listening on " + bindAddress + ":" + std::to_string(port_));
    return true;
}

void ConnectionServer::Stop() {
    if (loops_.empty() || stopping_.exchange(true)) return;
    for (auto& loop : loops_) Wake(*loop);
    for (auto& loop : loops_) loop->thread.join();
    // Workers blocked on a client wake when its socket shuts down; queued
    // requests then fail at once.
    for (auto& loop : loops_)
        for (auto& [id, connection] : loop->connections)
            if (connection->phase == Connection::Phase::Busy) connection->stream.Interrupt();
    workers_.reset();
    waitingWorkers_.reset();
    for (auto& loop : loops_) {
        loop->connections.clear();
        loop->arrived.clear();
        ::close(loop->epollFd);
        ::close(loop->wakeFd);
    }
    loops_.clear();
    open_ = 0;
    ::close(listenFd_);
    listenFd_ = -1;
}

void ConnectionServer::Run(EventLoop& loop) {
    try {
        protocol_.StartLoop();
    } catch (const std::exception& e) {
        // The loop still serves; what it would have held it borrows per request.
        Log(name_ + ": event loop " + std::to_string(loop.index) + " starts without its own resources: " + e.what());
    }
    std::vector<epoll_event> events(256);
    while (!stopping_) {
        int timeout = -1;
        if (!loop.turns.empty()) {
            timeout = 0;
        } else if (!loop.deadlines.empty()) {
            const auto wait = loop.deadlines.begin()->first - Clock::now();
            timeout = static_cast<int>(std::max<std::int64_t>(
                0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        }
        const int n = ::epoll_wait(loop.epollFd, events.data(), static_cast<int>(events.size()), timeout);
        for (int i = 0; i < n && !stopping_; ++i) {
            const std::uint64_t id = events[i].data.u64;
            if (id == kListenId) {
                AcceptAll(loop);
            } else if (id == kWakeId) {
                std::uint64_t count = 0;
                (void)!::read(loop.wakeFd, &count, sizeof count);
                TakeInbox(loop);
            } else if (const auto it = loop.connections.find(id); it != loop.connections.end()) {
                // A connection in a worker's hands is read when it comes
                // back; what arrived meanwhile is still in the socket.
                if (it->second->phase != Connection::Phase::Busy) OnReady(loop, *it->second);
            }
        }
        ServeTurns(loop);
        ExpireDeadlines(loop);
    }
}

void ConnectionServer::AcceptAll(EventLoop& loop) {
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
        // Replies are whole when written; holding a short one back until
        // the client acknowledges the last costs every request its delay.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto connection = std::make_unique<Connection>(nextId_++, fd, tls_, remote);
        connection->lastActive = Clock::now();
        connection->loop = nextLoop_++ % loops_.size();
        connection->handler = protocol_.Open(remote);
        if (!Admit(*connection)) {
            LogThrottled(name_ + " refused", name_ + " refused " + remote + ": too many connections");
            continue;
        }
        ++open_;
        EventLoop& owner = *loops_[connection->loop];
        if (&owner == &loop) {
            Adopt(loop, std::move(connection));
            continue;
        }
        {
            std::lock_guard lock(owner.mutex);
            owner.arrived.push_back(std::move(connection));
        }
        Wake(owner);
    }
}

bool ConnectionServer::Admit(Connection& connection) {
    std::lock_guard lock(countMutex_);
    const auto counted = perAddress_.find(connection.remote);
    const bool addressFull = counted != perAddress_.end() && counted->second >= limits_.perAddress;
    const bool totalFull = counted_.size() >= static_cast<std::size_t>(limits_.maxConnections);
    if (addressFull || totalFull) {
        Connection* waiting = nullptr;  // longest waiting for its handshake
        Connection* idle = nullptr;     // longest idle
        for (const auto& [id, c] : counted_) {
            if (addressFull && c->remote != connection.remote) continue;
            const Connection::Phase phase = c->phase;
            if (phase == Connection::Phase::Handshake &&
                (!waiting || c->lastActive.load() < waiting->lastActive.load()))
                waiting = c;
            if (phase == Connection::Phase::Idle && (!idle || c->lastActive.load() < idle->lastActive.load()))
                idle = c;
        }
        // One address must not push out another's working clients.
        Connection* victim = waiting ? waiting : addressFull ? nullptr : idle;
        if (!victim) return false;
        // It stops counting now; its loop closes it at its next look.
        victim->evicted = true;
        counted_.erase(victim->id);
        if (--perAddress_[victim->remote] <= 0) perAddress_.erase(victim->remote);
        LogThrottled(name_ + " made room",
                     name_ + ": closed " + victim->remote + ": made room for a new connection");
        EventLoop& owner = *loops_[victim->loop];
        {
            std::lock_guard ownerLock(owner.mutex);
            owner.evicted.push_back(victim->id);
        }
        Wake(owner);
    }
    counted_.emplace(connection.id, &connection);
    ++perAddress_[connection.remote];
    return true;
}

void ConnectionServer::Adopt(EventLoop& loop, std::unique_ptr<Connection> connection) {
    Connection& added = *connection;
    loop.connections.emplace(added.id, std::move(connection));
    // Registered once for good: every edge of readiness wakes the loop,
    // which reads until nothing is left, so nothing is ever re-armed.
    AddToEpoll(loop.epollFd, added.stream.Fd(), added.id, EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET);
    SetDeadline(loop, added, added.lastActive.load() + std::chrono::seconds(limits_.handshakeSeconds));
    OnReady(loop, added);
}

void ConnectionServer::TakeInbox(EventLoop& loop) {
    std::vector<std::unique_ptr<Connection>> arrived;
    std::vector<Id> evicted;
    std::vector<std::pair<Id, bool>> served;
    {
        std::lock_guard lock(loop.mutex);
        arrived.swap(loop.arrived);
        evicted.swap(loop.evicted);
        served.swap(loop.served);
    }
    for (auto& connection : arrived) Adopt(loop, std::move(connection));
    for (const auto& [id, keep] : served) {
        const auto it = loop.connections.find(id);
        if (it == loop.connections.end()) continue;
        Connection& connection = *it->second;
        if (!keep || connection.evicted) {
            Close(loop, connection, nullptr);
            continue;
        }
        Rest(loop, connection);
        // Bytes that came while the worker had it raised no edge the loop
        // acted on: read them now.
        ReadRequest(loop, connection);
    }
    // One that is Busy is closed when its worker hands it back.
    for (const Id id : evicted)
        if (const auto it = loop.connections.find(id);
            it != loop.connections.end() && it->second->phase != Connection::Phase::Busy)
            Close(loop, *it->second, nullptr);
}

void ConnectionServer::OnReady(EventLoop& loop, Connection& connection) {
    if (connection.phase == Connection::Phase::Handshake) {
        switch (connection.stream.Handshake()) {
        case TransportStream::Step::WantRead:
        case TransportStream::Step::WantWrite:
            return;  // the next edge goes on
        case TransportStream::Step::Failed:
            LogThrottled(name_ + " handshake", name_ + ": TLS handshake with " + connection.remote + " failed: " +
                                                          connection.stream.HandshakeFailure());
            return Close(loop, connection, nullptr);
        case TransportStream::Step::Done:
            Rest(loop, connection);
            break;
        }
    }
    ReadRequest(loop, connection);
}

void ConnectionServer::ReadRequest(EventLoop& loop, Connection& connection) {
    char piece[kReadPiece];
    int served = 0;
    for (;;) {
        const std::size_t size = protocol_.RequestSize(connection.input);
        if (size == ConnectionProtocol::kBroken) {
            LogThrottled(name_ + " broken", name_ + ": request from " + connection.remote + " refused; closed");
            return Close(loop, connection, nullptr);
        }
        if (size > 0) {
            if (!protocol_.ServedOnLoop(connection.input)) return Dispatch(loop, connection, size);
            if (served++ == kRequestsPerTurn) {
                loop.turns.push_back(connection.id);
                return;
            }
            if (!ServeHere(loop, connection, size)) return;
            continue;
        }
        // Edge-triggered: the socket and the TLS layer's buffer are read
        // dry, or no edge comes for what is left in them.
        const long got = connection.stream.ReadSome(piece, sizeof piece);
        if (got < 0) return Close(loop, connection, nullptr);
        if (got == 0) return;
        connection.input.append(piece, static_cast<std::size_t>(got));
        if (connection.phase == Connection::Phase::Idle) {
            // The whole request must come within its time, however it trickles.
            connection.phase = Connection::Phase::Request;
            SetDeadline(loop, connection, Clock::now() + std::chrono::seconds(limits_.requestSeconds));
        }
    }
}

bool ConnectionServer::ServeHere(EventLoop& loop, Connection& connection, std::size_t requestSize) {
    bool keep = false;
    StreamChannel channel(connection, limits_, StreamChannel::Mode::Gathered);
    try {
        keep = connection.handler->Serve(channel, requestSize);
    } catch (const std::exception& e) {
        Log(name_ + ": request from " + connection.remote + " failed: " + e.what());
    }
    connection.input.erase(0, channel.Consumed());
    const long sent = connection.stream.WriteSome(connection.output.data(), connection.output.size());
    if (!keep || sent < 0) {
        Close(loop, connection, nullptr);
        return false;
    }
    connection.output.erase(0, static_cast<std::size_t>(sent));
    if (connection.output.empty()) {
        Shrink(connection.output);
        Rest(loop, connection);
        return true;
    }
    // The client reads slower than it asks: a worker waits for it to take
    // the rest, within the stall limit, so the loop never does.
    connection.phase = Connection::Phase::Busy;
    loop.deadlines.erase({connection.deadline, connection.id});
    workers_->Post([this, &connection] {
        const bool written = connection.stream.WriteAll(connection.output.data(), connection.output.size(),
                                                        Clock::now() + std::chrono::seconds(limits_.stallSeconds));
        connection.output.clear();
        Shrink(connection.output);
        Served(connection, written);
    });
    return false;
}

void ConnectionServer::Dispatch(EventLoop& loop, Connection& connection, std::size_t requestSize) {
    connection.phase = Connection::Phase::Busy;
    loop.deadlines.erase({connection.deadline, connection.id});
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
        Served(connection, keep);
    });
}

void ConnectionServer::Served(Connection& connection, bool keep) {
    EventLoop& loop = *loops_[connection.loop];
    {
        std::lock_guard lock(loop.mutex);
        loop.served.emplace_back(connection.id, keep);
    }
    // From here on the loop may close the connection: nothing of it is touched.
    Wake(loop);
}

void ConnectionServer::Rest(EventLoop& loop, Connection& connection) {
    const Clock::time_point now = Clock::now();
    connection.lastActive = now;
    Shrink(connection.input);
    if (connection.input.empty()) {
        connection.phase = Connection::Phase::Idle;
        SetDeadline(loop, connection, now + std::chrono::seconds(limits_.idleSeconds));
    } else {
        connection.phase = Connection::Phase::Request;
        SetDeadline(loop, connection, now + std::chrono::seconds(limits_.requestSeconds));
    }
}

void ConnectionServer::ServeTurns(EventLoop& loop) {
    std::deque<Id> due;
    due.swap(loop.turns);
    for (const Id id : due)
        if (const auto it = loop.connections.find(id);
            it != loop.connections.end() && it->second->phase != Connection::Phase::Busy)
            ReadRequest(loop, *it->second);
}

void ConnectionServer::ExpireDeadlines(EventLoop& loop) {
    const auto now = Clock::now();
    while (!loop.deadlines.empty() && loop.deadlines.begin()->first <= now) {
        Connection& connection = *loop.connections.at(loop.deadlines.begin()->second);
        const Connection::Phase phase = connection.phase;
        if (phase != Connection::Phase::Idle)
            LogThrottled(name_ + " deadline", name_ + ": " + connection.remote + " too slow with its " +
                                                  (phase == Connection::Phase::Handshake ? "handshake" : "request") +
                                                  "; closed");
        Close(loop, connection, nullptr);
    }
}

void ConnectionServer::SetDeadline(EventLoop& loop, Connection& connection, Clock::time_point deadline) {
    loop.deadlines.erase({connection.deadline, connection.id});
    connection.deadline = deadline;
    loop.deadlines.emplace(deadline, connection.id);
}

void ConnectionServer::Close(EventLoop& loop, Connection& connection, const char* why) {
    if (why) LogThrottled(name_ + " " + why, name_ + ": closed " + connection.remote + ": " + why);
    loop.deadlines.erase({connection.deadline, connection.id});
    {
        std::lock_guard lock(countMutex_);
        if (!connection.evicted) {
            counted_.erase(connection.id);
            if (--perAddress_[connection.remote] <= 0) perAddress_.erase(connection.remote);
        }
    }
    --open_;
    // Closing the socket takes it out of the loop's epoll set.
    const Id id = connection.id;  // the key must outlive the erase
    loop.connections.erase(id);
    PauseAccepting(false);
}

void ConnectionServer::Wake(EventLoop& loop) {
    const std::uint64_t one = 1;
    (void)!::write(loop.wakeFd, &one, sizeof one);
}

void ConnectionServer::PauseAccepting(bool pause) {
    if (acceptPaused_ == pause) return;
    // Any loop's close may resume what the first loop paused.
    std::lock_guard lock(countMutex_);
    if (acceptPaused_.exchange(pause) == pause) return;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kListenId;
    ::epoll_ctl(loops_[0]->epollFd, pause ? EPOLL_CTL_DEL : EPOLL_CTL_ADD, listenFd_, &event);
}

}  // namespace dalvero::server
