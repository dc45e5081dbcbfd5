#pragma once
// The FunctionServer's command handling, without sockets: one request text
// in, one reply text out. Safe to call from several connection threads at
// once; all shared state lives in the store.

#include <string>
#include <string_view>

#include "audit_writer.h"
#include "command_context.h"
#include "login_service.h"

namespace dalvero::server {

class FunctionServer {
public:
    FunctionServer(Storage& storage, const mail::Mailer& mailer, LoginService& logins, AuditWriter& trail,
                   functions::Clock clock = DefaultClock());

    // The reply to one request ("{...}" with "ServerCommand", "Session" and
    // the arguments): the command's result, or {Error:"..."} for an unknown
    // command, malformed or oversized text, a missing or ended session, a
    // command the person may not run or one that failed. Never throws.
    // remoteAddress goes to the audit trail (the log-in's when empty).
    std::string HandleCommand(std::string_view requestText, std::string_view remoteAddress = {});

    static functions::Clock DefaultClock();

private:
    Storage& storage_;
    const mail::Mailer& mailer_;
    LoginService& logins_;
    AuditWriter& trail_;
    functions::Clock clock_;
};

}  // namespace dalvero::server
