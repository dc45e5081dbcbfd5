#include "output.h"

#include <cstdio>

namespace dalvero::cli {

namespace {

// A hostile server must not drive the terminal (move the cursor, retitle the
// window, hide earlier output).
std::string Escape(std::string_view text, bool escapeBackslash) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        char hex[8];
        if (c == '\\' && escapeBackslash) {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::string EscapeField(std::string_view value) { return Escape(value, true); }

std::string EscapeServerText(std::string_view text) { return Escape(text, false); }

void WriteRow(std::ostream& out, const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out << '\t';
        out << EscapeField(items[i]);
    }
    out << '\n';
}

}  // namespace dalvero::cli
