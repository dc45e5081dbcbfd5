#include "request_shape.h"

namespace dalvero::server::functions {

std::string CheckRequestShape(std::string_view text) {
    int items = 0, depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == '\\') ++i;
            else if (c == quote) quote = 0;
            continue;
        }
        switch (c) {
            case '"':
            case '\'':
                quote = c;
                break;
            case '{':
            case '[':
                if (++depth > kMaxRequestDepth) return "The request is nested too deeply.";
                break;
            case '}':
            case ']':
                --depth;
                break;
            case ',':
                if (++items > kMaxRequestItems) return "The request has too many members.";
                break;
            default:
                break;
        }
    }
    return {};
}

}  // namespace dalvero::server::functions
