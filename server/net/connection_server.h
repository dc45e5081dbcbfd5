#pragma once
// Serves one port: an epoll loop accepts connections, runs their TLS
// handshakes, gathers each request and waits out idle clients, all on one
// thread; a worker is taken only for a request that has fully arrived.
// Readiness is one-shot: the worker re-arms the connection it served and
// hands it back, so a request wakes the loop once.
//
// Limits keep anyone from locking the others out: a deadline for the
// handshake (counted from the connection, not per byte), one for the rest of
// a request once its first byte came, a cap per client address and a total
// cap. At either cap a connection that never finished its handshake goes
// first (the longest waiting one); at the total cap the longest idle one
// goes next. Refusals are logged at a limited rate.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
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
    // the server.
    ConnectionServer(std::string name, ConnectionProtocol& protocol, SSL_CTX* tls, const ConnectionLimits& limits);
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

    void Loop();
    void AcceptAll();
    bool MakeRoom(const std::string& remote);
    void OnReady(Connection& connection);
    void ReadRequest(Connection& connection);
    void Dispatch(Connection& connection, std::size_t requestSize);
    // From the worker: hands the connection back to the loop.
    void Served(Connection& connection, bool keep);
    void TakeBackServed();
    void ExpireDeadlines();
    void Watch(Connection& connection, unsigned events);
    void SetDeadline(Connection& connection, Clock::time_point deadline);
    void Close(Connection& connection, const char* why);
    void PauseAccepting(bool pause);

    std::string name_;
    ConnectionProtocol& protocol_;
    SSL_CTX* tls_;
    ConnectionLimits limits_;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int wakeFd_ = -1;
    int port_ = 0;
    bool acceptPaused_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> open_{0};
    std::thread loop_;
    std::unique_ptr<WorkerPool> workers_;
    std::unique_ptr<WorkerPool> waitingWorkers_;  // for requests the protocol says may wait long

    // Loop thread only.
    Id nextId_ = 1;
    int busy_ = 0;  // connections in workers' hands, or handed back and not yet taken
    std::map<Id, std::unique_ptr<Connection>> connections_;
    std::map<std::string, int> perAddress_;
    std::set<std::pair<Clock::time_point, Id>> deadlines_;

    // Requests the workers have finished: the connection and whether to keep it.
    std::mutex servedMutex_;
    std::vector<std::pair<Id, bool>> served_;
};

}  // namespace dalvero::server
