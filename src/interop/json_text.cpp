#include "json_text.h"

#include <cstdio>

namespace dalvero::json_text {

std::string Str(std::string_view text) {
    if (text.empty()) return {};
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

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
