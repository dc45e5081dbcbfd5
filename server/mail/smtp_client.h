#pragma once
// Hands one composed message to an SMTP relay.

#include <string>
#include <string_view>

#include "mailer.h"

namespace dalvero::server::mail {

// Empty on success, else the relay's or the connection's error.
std::string SendThroughRelay(const Settings& settings, std::string_view recipient, std::string_view text);

}  // namespace dalvero::server::mail
