#pragma once
// "getcasemanagerstatus": each case worker's open cases with their status
// digits, either in one list or grouped by the days left until discharge.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void GetCaseManagerStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
