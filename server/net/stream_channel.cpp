#include "stream_channel.h"

#include <algorithm>
#include <cstring>

#include "frame.h"

namespace dalvero::server {

void StreamChannel::ExpectTransfer(std::uint64_t bytes) {
    transferDeadline_ = Clock::now() + stall_ + std::chrono::seconds(bytes / std::max<std::uint64_t>(minRate_, 1));
}

Clock::time_point StreamChannel::PieceDeadline() const {
    const Clock::time_point stalled = Clock::now() + stall_;
    return transferDeadline_ ? std::min(stalled, *transferDeadline_) : stalled;
}

bool StreamChannel::Read(void* data, std::size_t n) {
    char* bytes = static_cast<char*>(data);
    const std::size_t gathered = std::min(n, connection_.input.size() - consumed_);
    if (mode_ == Mode::Gathered && gathered < n) return false;
    std::memcpy(bytes, connection_.input.data() + consumed_, gathered);
    consumed_ += gathered;
    for (std::size_t done = gathered; done < n;) {
        const std::size_t piece = std::min(frame::kFilePiece, n - done);
        if (!connection_.stream.ReadExact(bytes + done, piece, PieceDeadline())) return false;
        done += piece;
    }
    return true;
}

bool StreamChannel::Write(const void* data, std::size_t n) {
    const char* bytes = static_cast<const char*>(data);
    if (mode_ == Mode::Gathered) {
        connection_.output.append(bytes, n);
        return true;
    }
    for (std::size_t done = 0; done < n;) {
        const std::size_t piece = std::min(frame::kFilePiece, n - done);
        if (!connection_.stream.WriteAll(bytes + done, piece, PieceDeadline())) return false;
        done += piece;
    }
    return true;
}

}  // namespace dalvero::server
