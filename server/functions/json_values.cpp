#include "json_values.h"

namespace dalvero::server::functions {

void AddInteger(cJsonNode& node, std::string_view name, long long value) {
    node.AddMember(name, std::to_string(value));
}

void AddFlag(cJsonNode& node, std::string_view name, bool value) { node.AddMember(name, value ? "1" : "0"); }

std::string ReplyText(const cJsonNode& reply) {
    std::string text = reply.ToText();
    return text.empty() ? "{}" : text;
}

}  // namespace dalvero::server::functions
