#pragma once
// One client connection of a ConnectionServer and where it stands. The event
// loop owns it; while a request is served a worker has it alone.

#include <cstdint>
#include <memory>
#include <string>

#include "connection_protocol.h"
#include "transport_stream.h"

namespace dalvero::server {

struct Connection {
    enum class Phase {
        Handshake,  // accepted; the TLS handshake is under way
        Idle,       // between requests
        Request,    // a request's first bytes came; the rest is awaited
        Busy,       // a worker serves it
    };

    Connection(std::uint64_t id, int fd, SSL_CTX* tls, std::string remote)
        : id(id), stream(fd, tls), remote(std::move(remote)) {}

    std::uint64_t id;
    TransportStream stream;
    std::string remote;
    Phase phase = Phase::Handshake;
    Clock::time_point deadline;    // when the loop gives up on it (not while Busy)
    Clock::time_point lastActive;  // arrival or the end of its last request
    unsigned watched = 0;          // epoll events registered; 0: not registered
    bool readyWhileBusy = false;   // its readiness came while a worker had it (set under the served lock)
    std::string input;             // bytes read and not yet served
    std::unique_ptr<RequestHandler> handler;
};

}  // namespace dalvero::server
