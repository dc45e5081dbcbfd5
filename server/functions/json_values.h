#pragma once
// Writing reply members with the kind the client expects, whatever the text
// (text itself goes in as cJsonNode::AddString, exactly as given).

#include <string>
#include <string_view>

#include "json_node.h"

namespace dalvero::server::functions {

void AddInteger(cJsonNode& node, std::string_view name, long long value);
// 1 or 0, read by the client as a number.
void AddFlag(cJsonNode& node, std::string_view name, bool value);

// The reply's wire text; an empty reply is written "{}" so that it can never
// be mistaken for a reply that did not arrive.
std::string ReplyText(const cJsonNode& reply);

}  // namespace dalvero::server::functions
