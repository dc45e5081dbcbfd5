#pragma once
// "geticd9symptomsforkeywords" and "geticd9treatmentsforkeywords": diagnosis
// and procedure codes whose description holds every word typed.

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

void GetIcd9SymptomsForKeywords(const CommandContext& context, cJsonNode& request, cJsonNode& reply);
void GetIcd9TreatmentsForKeywords(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
