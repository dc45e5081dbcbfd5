#include "hl7_message.h"

#include <cctype>

namespace dalvero::server::hl7 {

namespace {

constexpr std::string_view kHeader = "MSH";

bool IsSegmentEnd(char c) { return c == '\r' || c == '\n'; }

// A separator must never be mistaken for content or for a segment's end.
bool UsableSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > ' ' && u < 0x7f && !std::isalnum(u);
}

bool IsSegmentName(std::string_view name) {
    if (name.size() != 3) return false;
    for (const char c : name)
        if (!std::isupper(static_cast<unsigned char>(c)) && !std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::string_view Part(std::string_view text, char separator, int index) {
    const std::vector<std::string_view> parts = Split(text, separator);
    return index >= 0 && static_cast<std::size_t>(index) < parts.size() ? parts[static_cast<std::size_t>(index)]
                                                                         : std::string_view();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Message> Message::Parse(std::string_view text) {
    if (text.size() < 8 || text.substr(0, 3) != kHeader) return std::nullopt;
    Message message;
    Separators& s = message.separators_;
    s.field = text[3];
    s.component = text[4];
    s.repetition = text[5];
    s.escape = text[6];
    s.subcomponent = text[7];
    const char chosen[] = {s.field, s.component, s.repetition, s.escape, s.subcomponent};
    for (std::size_t i = 0; i < 5; ++i) {
        if (!UsableSeparator(chosen[i])) return std::nullopt;
        for (std::size_t j = 0; j < i; ++j)
            if (chosen[i] == chosen[j]) return std::nullopt;
    }
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && !IsSegmentEnd(text[end])) ++end;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end < text.size() ? end + 1 : end);
        if (line.empty()) continue;
        Segment segment;
        for (const std::string_view field : Split(line, s.field)) segment.fields.emplace_back(field);
        segment.name = segment.fields.front();
        if (!IsSegmentName(segment.name)) return std::nullopt;
        // One header, first: a second MSH would be a second message run into this one.
        if ((segment.name == kHeader) != message.segments_.empty()) return std::nullopt;
        message.segments_.push_back(std::move(segment));
    }
    return message;
}

const Message::Segment* Message::Find(std::string_view name) const {
    for (const Segment& segment : segments_)
        if (segment.name == name) return &segment;
    return nullptr;
}

std::string_view Message::Field(std::string_view segment, int field) const {
    const Segment* found = Find(segment);
    if (!found || field < 1) return {};
    // In the header the first separator is MSH-1, so MSH-2 is the first split field.
    const int index = segment == kHeader ? field - 1 : field;
    if (segment == kHeader && field == 1) return {&separators_.field, 1};
    const auto at = static_cast<std::size_t>(index);
    return at < found->fields.size() ? std::string_view(found->fields[at]) : std::string_view();
}

std::string Message::Value(std::string_view segment, int field, int component, int repetition) const {
    const std::string_view raw = Field(segment, field);
    // The separators themselves are no value to split or unescape.
    if (segment == kHeader && field <= 2) return std::string(raw);
    const std::string_view occurrence = Part(raw, separators_.repetition, repetition);
    const std::string_view part = Part(occurrence, separators_.component, component - 1);
    return Unescape(Part(part, separators_.subcomponent, 0));
}

int Message::Repetitions(std::string_view segment, int field) const {
    const std::string_view raw = Field(segment, field);
    return raw.empty() ? 0 : static_cast<int>(Split(raw, separators_.repetition).size());
}

std::string Message::Unescape(std::string_view text) const {
    const Separators& s = separators_;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t close = text[i] == s.escape ? text.find(s.escape, i + 1) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, close - i - 1);
        if (code == "F") out += s.field;
        else if (code == "S") out += s.component;
        else if (code == "T") out += s.subcomponent;
        else if (code == "R") out += s.repetition;
        else if (code == "E") out += s.escape;
        else if (code == ".br") out += '\n';
        else if (code.size() > 1 && code.size() % 2 == 1 && code[0] == 'X') {
            bool hex = true;
            std::string bytes;
            for (std::size_t k = 1; k + 1 < code.size() && hex; k += 2) {
                const int high = HexDigit(code[k]);
                const int low = HexDigit(code[k + 1]);
                hex = high >= 0 && low >= 0;
                bytes += static_cast<char>(high * 16 + low);
            }
            out += hex ? bytes : std::string(text.substr(i, close - i + 1));
        } else if (code != "H" && code != "N") {
            // An escape this system does not know is kept as it came, not lost.
            out.append(text.substr(i, close - i + 1));
        }
        i = close;
    }
    return out;
}

std::string Message::Escape(std::string_view text, const Separators& s) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == s.escape) out += std::string{s.escape, 'E', s.escape};
        else if (c == s.field) out += std::string{s.escape, 'F', s.escape};
        else if (c == s.component) out += std::string{s.escape, 'S', s.escape};
        else if (c == s.subcomponent) out += std::string{s.escape, 'T', s.escape};
        else if (c == s.repetition) out += std::string{s.escape, 'R', s.escape};
        else if (c == '\r' || c == '\n') out += std::string{s.escape} + ".br" + s.escape;
        else out += c;
    }
    return out;
}

}  // namespace dalvero::server::hl7
