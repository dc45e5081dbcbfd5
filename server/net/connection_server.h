#pragma once
// Serves one port with one epoll loop per core. The first loop accepts and
// gives each connection to the loops in turn; the connection stays with its
// loop, which runs its TLS handshake, gathers its requests and waits out its
// idleness. A request the protocol calls short (a point read) is served on
// the loop's own thread; any other goes to a worker, and the connection
// comes back to its loop when it is done. A connection with pipelined
// requests is served a few at a time, then the loop's other connections
// have their turn. Readiness is edge-triggered: a loop reads a connection
// until the socket and the TLS layer hold nothing more.
//
// Limits keep anyone from locking the others out: a deadline for the
// handshake (counted from the connection, not per byte), one for the rest of
// a request once its first byte came, a cap per client address and a total
// cap, counted over all loops. At either cap a connection that never
// finished its handshake goes first (the longest waiting one); at the total
// cap the longest idle one goes next. Refusals are logged at a limited rate.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <openssl/types.h>

#include "connection.h"
#include "connection_protocol.h"
#include "server_config.h"

namespace dalvero::server {

class WorkerPool;

class ConnectionServer {
public:
    // tls: nullptr serves plain TCP. The protocol and context must outlive
    // the server. loops: 0 runs one per core.
    ConnectionServer(std::string name, ConnectionProtocol& protocol, SSL_CTX* tls, const ConnectionLimits& limits,
                     unsigned loops = 0);
    ~ConnectionServer();
    ConnectionServer(const ConnectionServer&) = delete;
    ConnectionServer& operator=(const ConnectionServer&) = delete;

    // Binds and listens (port 0 picks a free port); false with a reason.
    bool Start(const std::string& bindAddress, int port, std::string& error);
    int Port() const { return port_; }
    // Connections open now, from any thread.
    std::size_t OpenConnections() const { return open_; }
    // Closes every connection; requests in progress are cut off.
    void Stop();

private:
    using Id = std::uint64_t;
    struct EventLoop;

    void Run(EventLoop& loop);
    void AcceptAll(EventLoop& loop);
    // Counts a new connection in, making room for it when a cap is reached;
    // false when there is none.
    bool Admit(Connection& connection);
    void Adopt(EventLoop& loop, std::unique_ptr<Connection> connection);
    void TakeInbox(EventLoop& loop);
    void OnReady(EventLoop& loop, Connection& connection);
    void ReadRequest(EventLoop& loop, Connection& connection);
    // Serves a short request on the loop; false when the connection left
    // the loop's hands (closed, or given to a worker to finish the reply).
    bool ServeHere(EventLoop& loop, Connection& connection, std::size_t requestSize);
    void Dispatch(EventLoop& loop, Connection& connection, std::size_t requestSize);
    // From the worker: hands the connection back to its loop.
    void Served(Connection& connection, bool keep);
    void TakeBackServed(EventLoop& loop);
    // Between requests again: idle, or reading the next one already begun.
    void Rest(EventLoop& loop, Connection& connection);
    void ServeTurns(EventLoop& loop);
    void ExpireDeadlines(EventLoop& loop);
    void SetDeadline(EventLoop& loop, Connection& connection, Clock::time_point deadline);
    void Close(EventLoop& loop, Connection& connection, const char* why);
    void Wake(EventLoop& loop);
    void PauseAccepting(bool pause);

    std::string name_;
    ConnectionProtocol& protocol_;
    SSL_CTX* tls_;
    ConnectionLimits limits_;
    unsigned loopCount_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> acceptPaused_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> open_{0};
    std::vector<std::unique_ptr<EventLoop>> loops_;
    std::unique_ptr<WorkerPool> workers_;
    std::unique_ptr<WorkerPool> waitingWorkers_;  // for requests the protocol says may wait long

    // Every counted connection, for the caps; the first loop's accept and
    // every loop's close take it.
    std::mutex countMutex_;
    std::map<Id, Connection*> counted_;
    std::map<std::string, int> perAddress_;
    Id nextId_ = 1;         // first loop only
    std::size_t nextLoop_ = 0;  // first loop only
};

}  // namespace dalvero::server
