#pragma once
// The byte stream of one client connection as request handling sees it: the
// listener adapts its socket to this, tests adapt a scripted peer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dalvero::server {

struct Channel {
    virtual ~Channel() = default;
    // Exactly n bytes, or false when the stream ended or failed first.
    virtual bool Read(void* data, std::size_t n) = 0;
    // All n bytes, or false.
    virtual bool Write(const void* data, std::size_t n) = 0;
    // A file's content of this many bytes comes or goes next: a channel with
    // a clock gives the whole of it a deadline from its size, so a peer that
    // keeps each piece just inside the stall limit still cannot hold on.
    virtual void ExpectTransfer(std::uint64_t bytes) {}
};

// A reply as the client reads it: the text and a terminating zero byte, in
// one write, so that a short reply leaves in one packet (one TLS record)
// instead of a second one waiting on the client's delayed acknowledgement.
inline bool WriteReply(Channel& channel, std::string_view text) {
    std::string reply;
    reply.reserve(text.size() + 1);
    reply.append(text).push_back('\0');
    return channel.Write(reply.data(), reply.size());
}

}  // namespace dalvero::server
