#include "output.h"

namespace dalvero::cli {

std::string EscapeField(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

void WriteRow(std::ostream& out, const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out << '\t';
        out << EscapeField(items[i]);
    }
    out << '\n';
}

}  // namespace dalvero::cli
