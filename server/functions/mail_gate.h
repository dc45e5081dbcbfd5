#pragma once
// Every e-mail the FunctionServer sends goes through here: a person and a
// case get only so many mails an hour (a loop of approval mails must not
// flood a physician or a relay), and each mail sent is written to the audit
// trail with who made it go. The counts come from the trail itself, so they
// hold across connections and server processes.

#include <cstdint>
#include <ctime>
#include <string>

#include "mailer.h"
#include "principal.h"
#include "server_config.h"
#include "storage.h"

namespace dalvero::server::functions {

class MailGate {
public:
    // store: the whole store (the trail is not part of the person's view).
    MailGate(const mail::Mailer& mailer, Storage& store, const Principal& who, const SecurityConfig& limits,
             std::time_t now);

    // Empty when the message was handed on, else why it was not.
    std::string Send(const mail::Message& message, std::int64_t caseSeq) const;

private:
    const mail::Mailer& mailer_;
    Storage& store_;
    const Principal& who_;
    const SecurityConfig& limits_;
    std::time_t now_;
};

}  // namespace dalvero::server::functions
