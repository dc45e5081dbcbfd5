#pragma once
// The HL7 admission listener's side of a connection: MLLP blocks (0x0B, the
// message, 0x1C 0x0D) gathered whole, each answered with its acknowledgement
// in a block of its own. Bytes before a block's start, or a block larger
// than any admission message, end the connection. Only the addresses that
// server.ini allows may connect at all.

#include "address_filter.h"
#include "connection_protocol.h"

namespace dalvero::server {

namespace hl7 {
class AdtReceiver;
}

class MllpProtocol final : public ConnectionProtocol {
public:
    static constexpr std::size_t kMaxMessage = 1u << 20;

    MllpProtocol(hl7::AdtReceiver& receiver, AddressFilter allowFrom)
        : receiver_(receiver), allowFrom_(std::move(allowFrom)) {}
    std::size_t RequestSize(std::string_view buffered) const override;
    bool Admits(const std::string& remoteAddress) const override { return allowFrom_.Admits(remoteAddress); }
    std::unique_ptr<RequestHandler> Open(const std::string& remoteAddress) override;

private:
    hl7::AdtReceiver& receiver_;
    AddressFilter allowFrom_;
};

}  // namespace dalvero::server
