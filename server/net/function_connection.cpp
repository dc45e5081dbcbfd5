#include "function_connection.h"

#include <string>

#include "function_server.h"

namespace dalvero::server {

namespace {

class FunctionHandler final : public RequestHandler {
public:
    explicit FunctionHandler(FunctionServer& functions) : functions_(functions) {}
    bool Serve(Channel& channel, std::size_t requestSize) override {
        std::string request(requestSize, '\0');
        if (!channel.Read(request.data(), request.size())) return false;
        request.pop_back();  // the zero byte
        return WriteReply(channel, functions_.HandleCommand(request));
    }

private:
    FunctionServer& functions_;
};

}  // namespace

std::size_t FunctionProtocol::RequestSize(std::string_view buffered) const {
    const std::size_t zero = buffered.find('\0');
    if (zero != std::string_view::npos) return zero + 1;
    return buffered.size() > kMaxRequest ? kBroken : 0;
}

std::unique_ptr<RequestHandler> FunctionProtocol::Open(const std::string&) {
    return std::make_unique<FunctionHandler>(functions_);
}

}  // namespace dalvero::server
