#include "output.h"

#include <cstdio>

namespace dalvero::cli {

namespace {

// Length of the well-formed UTF-8 sequence at the start of text (no
// overlong forms, no surrogates, nothing above U+10FFFF); 0 when there is
// none. A terminal must not be left to decide what a broken one means.
std::size_t Utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;  // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    }
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
    return length;
}

// A hostile server must not drive the terminal (move the cursor, retitle the
// window, hide earlier output): C0 and C1 controls are escaped in their
// 8-bit and their UTF-8 forms, and so is every byte outside a well-formed
// UTF-8 sequence.
std::string Escape(std::string_view text, bool escapeBackslash) {
    std::string out;
    out.reserve(text.size());
    char hex[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
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
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = Utf8Length(text.substr(i)); length == 0) {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else if (c == 0xc2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += hex;
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
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
