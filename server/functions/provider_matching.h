#pragma once
// "processneedsmatching": the providers that can serve a case's needs, best
// first, each with the needs it can serve.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void ProcessNeedsMatching(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
