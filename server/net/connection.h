#pragma once
// One client connection of a ConnectionServer and where it stands. The event
// loop it was given to owns it; while a worker serves a request (or finishes
// writing a reply the loop could not) the worker has it alone. Its phase and
// last activity are read by the loop that accepts, to choose which
// connection makes room at a cap.

#include <atomic>
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
        Busy,       // a worker has it
    };

    Connection(std::uint64_t id, int fd, SSL_CTX* tls, std::string remote)
        : id(id), stream(fd, tls), remote(std::move(remote)) {}

    const std::uint64_t id;
    TransportStream stream;
    const std::string remote;
    std::atomic<Phase> phase = Phase::Handshake;
    std::atomic<Clock::time_point> lastActive;  // arrival or the end of its last request
    // Closed to make room: no longer counted at the caps, and closed by its
    // loop at its next look.
    std::atomic<bool> evicted = false;
    std::size_t loop = 0;        // the event loop it belongs to
    Clock::time_point deadline;  // when its loop gives up on it (not while Busy)
    std::string input;           // bytes read and not yet served
    std::string output;          // the part of a reply the loop could not send at once
    std::unique_ptr<RequestHandler> handler;
};

}  // namespace dalvero::server
