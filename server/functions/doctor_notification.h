#pragma once
// "senddoctornotificationemail": sends the case's discharge plan to its
// primary physician for approval.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void SendDoctorNotificationEmail(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
