#pragma once
// The Channel a worker serves one request over: first the bytes the event
// loop gathered, then the socket. Every read or write of one piece must
// finish within the stall limit, so a peer that stops reading or sending
// mid-request loses its connection.

#include <cstddef>

#include "channel.h"
#include "connection.h"

namespace dalvero::server {

class StreamChannel final : public Channel {
public:
    StreamChannel(Connection& connection, int stallSeconds)
        : connection_(connection), stall_(stallSeconds) {}
    bool Read(void* data, std::size_t n) override;
    bool Write(const void* data, std::size_t n) override;
    // Gathered bytes the request used; the rest belong to the next request.
    std::size_t Consumed() const { return consumed_; }

private:
    Connection& connection_;
    std::chrono::seconds stall_;
    std::size_t consumed_ = 0;
};

}  // namespace dalvero::server
