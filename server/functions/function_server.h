#pragma once
// The FunctionServer's command handling, without sockets: one request text
// in, one reply text out. Safe to call from several connection threads at
// once; all shared state lives in the store.

#include <string>
#include <string_view>

#include "command_context.h"

namespace dalvero::server {

class FunctionServer {
public:
    FunctionServer(Storage& storage, const mail::Mailer& mailer, functions::Clock clock = DefaultClock());

    // The reply to one request ("{...}" with "ServerCommand" and its
    // arguments): the command's result, or {Error:"..."} for an unknown
    // command, malformed text or a command that failed. Never throws.
    std::string HandleCommand(std::string_view requestText);

    static functions::Clock DefaultClock();

private:
    functions::CommandContext context_;
};

}  // namespace dalvero::server
