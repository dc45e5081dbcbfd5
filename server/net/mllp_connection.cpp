#include "mllp_connection.h"

#include <string>

#include "adt_receiver.h"

namespace dalvero::server {

namespace {

constexpr char kStart = 0x0b;
constexpr std::string_view kEnd = "\x1c\r";

class MllpHandler final : public RequestHandler {
public:
    MllpHandler(hl7::AdtReceiver& receiver, std::string remoteAddress)
        : receiver_(receiver), remoteAddress_(std::move(remoteAddress)) {}
    bool Serve(Channel& channel, std::size_t requestSize) override {
        std::string block(requestSize, '\0');
        if (!channel.Read(block.data(), block.size())) return false;
        const std::string_view message = std::string_view(block).substr(1, block.size() - 1 - kEnd.size());
        // One write: the acknowledgement leaves in one packet.
        const std::string reply = kStart + receiver_.Receive(message, remoteAddress_) + std::string(kEnd);
        return channel.Write(reply.data(), reply.size());
    }

private:
    hl7::AdtReceiver& receiver_;
    std::string remoteAddress_;
};

}  // namespace

std::size_t MllpProtocol::RequestSize(std::string_view buffered) const {
    if (buffered.empty()) return 0;
    if (buffered.front() != kStart) return kBroken;
    const std::size_t end = buffered.find(kEnd);
    if (end != std::string_view::npos) return end + kEnd.size();
    return buffered.size() > kMaxMessage ? kBroken : 0;
}

std::unique_ptr<RequestHandler> MllpProtocol::Open(const std::string& remoteAddress) {
    return std::make_unique<MllpHandler>(receiver_, remoteAddress);
}

}  // namespace dalvero::server
