#pragma once
// Writing reply members with the kind the client expects, whatever the text.

#include <string>
#include <string_view>

#include "json_node.h"

namespace dalvero::server::functions {

// Always a string member, so that names such as "true" or "null" or text
// with blanks and quotes arrive unchanged.
void AddText(cJsonNode& node, std::string_view name, std::string_view text);
void AddInteger(cJsonNode& node, std::string_view name, long long value);
// 1 or 0, read by the client as a number.
void AddFlag(cJsonNode& node, std::string_view name, bool value);

// The reply's wire text; an empty reply is written "{}" so that it can never
// be mistaken for a reply that did not arrive.
std::string ReplyText(const cJsonNode& reply);

}  // namespace dalvero::server::functions
