#include "json_values.h"

namespace dalvero::server::functions {

void AddText(cJsonNode& node, std::string_view name, std::string_view text) {
    // The tree's reading of a quoted value turns each pair of backslashes
    // into one; doubling them first keeps the text as it is.
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '\\') quoted += '\\';
    }
    quoted += '"';
    node.AddMember(name, quoted);
}

void AddInteger(cJsonNode& node, std::string_view name, long long value) {
    node.AddMember(name, std::to_string(value));
}

void AddFlag(cJsonNode& node, std::string_view name, bool value) { node.AddMember(name, value ? "1" : "0"); }

std::string ReplyText(const cJsonNode& reply) {
    std::string text = reply.ToText();
    return text.empty() ? "{}" : text;
}

}  // namespace dalvero::server::functions
