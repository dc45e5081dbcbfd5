#include "json_text.h"

#include "json_node.h"

namespace dalvero::json_text {

std::string Str(std::string_view text) { return text.empty() ? std::string() : StrictJsonString(text); }

std::string Int(long long value) { return std::to_string(value); }

std::string Obj(const std::vector<Member>& members) {
    std::string out;
    for (const auto& [name, value] : members) {
        if (value.empty()) continue;
        out += out.empty() ? "{" : ",";
        out += Str(name) + ":" + value;
    }
    return out.empty() ? out : out + "}";
}

std::string Arr(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (item.empty()) continue;
        out += out.empty() ? "[" : ",";
        out += item;
    }
    return out.empty() ? out : out + "]";
}

}  // namespace dalvero::json_text
