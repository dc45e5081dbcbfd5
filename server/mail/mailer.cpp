#include "mailer.h"

#include <utility>

#include "outbox.h"
#include "smtp_client.h"

namespace dalvero::server::mail {

Mailer::Mailer(Settings settings) : settings_(std::move(settings)) {}

std::string Mailer::Send(const Message& message) const {
    if (std::string problem = CheckMessage(message, settings_.from); !problem.empty()) return problem;
    const std::string text = ComposeMessage(message, settings_.from, std::time(nullptr));
    if (settings_.relay.empty()) {
        if (settings_.outbox.empty()) return "Neither a mail relay nor an outbox folder is configured";
        return WriteToOutbox(settings_.outbox, text);
    }
    return SendThroughRelay(settings_, message.to, text);
}

}  // namespace dalvero::server::mail
