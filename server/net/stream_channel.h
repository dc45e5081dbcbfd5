#pragma once
// The Channel a worker serves one request over: first the bytes the event
// loop gathered, then the socket. Every read or write of one piece must
// finish within the stall limit, so a peer that stops reading or sending
// mid-request loses its connection; a file's content must also pass at the
// limits' minimum rate as a whole.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "channel.h"
#include "connection.h"
#include "server_config.h"

namespace dalvero::server {

class StreamChannel final : public Channel {
public:
    StreamChannel(Connection& connection, const ConnectionLimits& limits)
        : connection_(connection), stall_(limits.stallSeconds), minRate_(limits.transferBytesPerSecond) {}
    bool Read(void* data, std::size_t n) override;
    bool Write(const void* data, std::size_t n) override;
    void ExpectTransfer(std::uint64_t bytes) override;
    // Gathered bytes the request used; the rest belong to the next request.
    std::size_t Consumed() const { return consumed_; }

private:
    // When the next piece must be through.
    Clock::time_point PieceDeadline() const;

    Connection& connection_;
    std::chrono::seconds stall_;
    std::uint64_t minRate_;  // bytes per second
    std::optional<Clock::time_point> transferDeadline_;
    std::size_t consumed_ = 0;
};

}  // namespace dalvero::server
