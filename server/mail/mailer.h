#pragma once
// Sends the servers' e-mail: through an SMTP relay when one is configured,
// otherwise into an outbox folder as .eml files that an operator or a mail
// pick-up agent collects. A message is either handed on or reported failed.

#include <filesystem>
#include <string>

#include "mail_message.h"

namespace dalvero::server::mail {

struct Settings {
    std::string relay;  // host name or address; empty: write to the outbox
    int port = 587;     // 465 means TLS from the first byte
    bool startTls = true;  // refuse to send unless the relay switches to TLS
    std::string user;      // no authentication when empty
    std::string password;
    std::string from = "dalvero@localhost";
    std::filesystem::path outbox;
};

class Mailer {
public:
    explicit Mailer(Settings settings);

    // Empty on success, else why the message was not handed on.
    std::string Send(const Message& message) const;

    const Settings& settings() const { return settings_; }

private:
    Settings settings_;
};

}  // namespace dalvero::server::mail
