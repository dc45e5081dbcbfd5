#pragma once
// What a listener needs to know of the protocol it serves: where a request
// ends in the bytes received so far (so that a whole request is gathered
// before it is served), which requests are short enough to serve on the
// event loop itself, and how to serve one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "channel.h"

namespace dalvero::server {

// The state of one connection's conversation (a DataServer session, say).
class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    // Serves the request whose requestSize bytes are the first the channel
    // reads. False ends the connection.
    virtual bool Serve(Channel& channel, std::size_t requestSize) = 0;
};

class ConnectionProtocol {
public:
    static constexpr std::size_t kBroken = SIZE_MAX;
    virtual ~ConnectionProtocol() = default;
    // The size of the first whole request in buffered; 0 while more bytes
    // are needed; kBroken when they can never make a request we serve.
    virtual std::size_t RequestSize(std::string_view buffered) const = 0;
    // Whether the whole request at the start of buffered may wait long for
    // something other than its client (a log-in for a password hash): such
    // requests are served by workers of their own, so a crowd of them never
    // holds up anyone else's.
    virtual bool MayWait(std::string_view buffered) const { return false; }
    // Whether the whole request at the start of buffered is short by its
    // kind (a read of one record, say) and needs nothing of the socket
    // beyond its bytes and one reply: such requests are served on the event
    // loop's own thread, without a hand-off to a worker and back. Anything
    // that may take long (lists, log-ins, writes, transfers) must say no,
    // or it holds up every connection of its loop.
    virtual bool ServedOnLoop(std::string_view buffered) const { return false; }
    // Called on each event loop's thread before it serves anything; a
    // failure is logged and the loop serves without what it would have set up.
    virtual void StartLoop() {}
    // Whether a client at this address may connect at all; the listener
    // closes any other connection as soon as it is accepted.
    virtual bool Admits(const std::string& remoteAddress) const { return true; }
    virtual std::unique_ptr<RequestHandler> Open(const std::string& remoteAddress) = 0;
};

}  // namespace dalvero::server
