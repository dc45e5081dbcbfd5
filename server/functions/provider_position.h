#pragma once
// "updateproviderlatitudelongitude": a provider's stored position follows its
// ZIP code.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void UpdateProviderLatitudeLongitude(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
