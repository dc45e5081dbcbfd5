#pragma once
// The FunctionServer's side of a connection: zero-terminated request texts
// gathered whole, one zero-terminated reply for each.

#include "connection_protocol.h"

namespace dalvero::server {

class FunctionServer;

class FunctionProtocol final : public ConnectionProtocol {
public:
    // Requests are small JSON texts; anything larger is refused.
    static constexpr std::size_t kMaxRequest = 1u << 20;

    explicit FunctionProtocol(FunctionServer& functions) : functions_(functions) {}
    std::size_t RequestSize(std::string_view buffered) const override;
    std::unique_ptr<RequestHandler> Open(const std::string& remoteAddress) override;

private:
    FunctionServer& functions_;
};

}  // namespace dalvero::server
