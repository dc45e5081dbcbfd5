#pragma once
// "sendinitialneedsemails": asks the chosen providers for the chosen needs,
// recording each request as a waiting quote and e-mailing each provider once.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void SendInitialNeedsEmails(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
