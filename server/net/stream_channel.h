#pragma once
// The Channel one request is served over. A worker's reads the bytes the
// event loop gathered, then the socket, and writes to the socket: every read
// or write of one piece must finish within the stall limit, so a peer that
// stops reading or sending mid-request loses its connection; a file's
// content must also pass at the limits' minimum rate as a whole. On the loop
// itself the request has only its gathered bytes, and the reply is kept in
// the connection's output for the loop to send without waiting.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "channel.h"
#include "connection.h"
#include "server_config.h"

namespace dalvero::server {

class StreamChannel final : public Channel {
public:
    enum class Mode { Socket, Gathered };
    StreamChannel(Connection& connection, const ConnectionLimits& limits, Mode mode = Mode::Socket)
        : connection_(connection),
          stall_(limits.stallSeconds),
          minRate_(limits.transferBytesPerSecond),
          mode_(mode) {}
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
    Mode mode_;
    std::optional<Clock::time_point> transferDeadline_;
    std::size_t consumed_ = 0;
};

}  // namespace dalvero::server
