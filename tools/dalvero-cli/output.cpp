#include "output.h"

#include <cstdio>

#include "json_node.h"
#include "utf8_text.h"

namespace dalvero::cli {

namespace {

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
        } else if (const std::size_t length = Utf8SequenceLength(text.substr(i)); length == 0) {
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

std::optional<std::string> UnescapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto hexValue = [&](std::size_t from, std::size_t digits) -> std::optional<unsigned> {
        if (from + digits > text.size()) return std::nullopt;
        unsigned value = 0;
        for (std::size_t i = from; i < from + digits; ++i) {
            const char c = text[i];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
        if (kind == '\\' || kind == 't' || kind == 'n' || kind == 'r') {
            out += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : '\\';
            ++i;
        } else if (const auto byte = kind == 'x' ? hexValue(i + 2, 2) : std::nullopt) {
            out += static_cast<char>(*byte);
            i += 3;
        } else if (const auto c1 = kind == 'u' ? hexValue(i + 2, 4) : std::nullopt; c1 && *c1 >= 0x80 && *c1 <= 0x9f) {
            // A C1 control in its UTF-8 form.
            out += static_cast<char>(0xc2);
            out += static_cast<char>(*c1);
            i += 5;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::string EscapeServerText(std::string_view text) { return Escape(text, false); }

void WriteRow(std::ostream& out, const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out << '\t';
        out << EscapeField(items[i]);
    }
    out << '\n';
}

namespace {

std::string CsvValue(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

RecordWriter::RecordWriter(std::ostream& out, Format format, std::vector<std::string> header)
    : out_(out), format_(format), header_(std::move(header)) {
    if (format_ == Format::Json) out_ << '[';
    else Line(header_);
}

void RecordWriter::Line(const std::vector<std::string>& values) {
    if (format_ == Format::Tsv) {
        WriteRow(out_, values);
        return;
    }
    for (std::size_t i = 0; i < values.size(); ++i) out_ << (i ? "," : "") << CsvValue(values[i]);
    out_ << "\r\n";
}

void RecordWriter::Row(const std::vector<std::string>& values) {
    if (format_ != Format::Json) {
        Line(values);
    } else {
        out_ << (first_ ? "\n{" : ",\n{");
        for (std::size_t i = 0; i < values.size() && i < header_.size(); ++i)
            out_ << (i ? "," : "") << StrictJsonString(header_[i]) << ':' << StrictJsonString(values[i]);
        out_ << '}';
    }
    first_ = false;
}

void RecordWriter::Finish() {
    if (format_ == Format::Json) out_ << (first_ ? "]\n" : "\n]\n");
}

}  // namespace dalvero::cli
