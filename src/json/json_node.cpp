#include "json_node.h"

#include <algorithm>
#include <cstdio>

namespace dalvero {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Characters that a bare word cannot hold without being misread: brackets,
// quotes, separators, backslashes, and blanks or control bytes, which the
// reader would trim or split at.
bool NeedsQuoting(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        return IsBlank(c) || std::string_view("{}[]\",'\\").find(c) != std::string_view::npos;
    });
}

// A backslash before a character the writer escapes (or a single quote) is
// dropped, so that reading undoes writing; any other backslash stays with the
// character after it ("\n" stays two characters).
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && std::string_view("\\\"'\r\n\t|").find(s[i + 1]) != std::string_view::npos)
            ++i;
        out += s[i];
    }
    return out;
}

std::string Escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        // "|" too: a stored "||" would be read back as a line break.
        if (c == '"' || c == '\r' || c == '\n' || c == '\t' || c == '\\' || c == '|') out += '\\';
        out += c;
    }
    return out;
}

// Splits content at the commas outside quotes, brackets and braces; a
// backslash keeps the next character from counting. Elements are trimmed.
std::vector<std::string_view> SplitTopLevel(std::string_view content) {
    std::vector<std::string_view> elements;
    bool inDouble = false, inSingle = false;
    int squares = 0, braces = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\\') {
            ++i;
            continue;
        }
        if (!inDouble && !inSingle) {
            if (c == '[') ++squares;
            else if (c == '{') ++braces;
            else if (c == ']') squares = std::max(0, squares - 1);
            else if (c == '}') braces = std::max(0, braces - 1);
        }
        if (c == '"' && !inSingle) {
            inDouble = !inDouble;
        } else if (c == '\'' && !inDouble) {
            inSingle = !inSingle;
        } else if (c == ',' && !inDouble && !inSingle && squares == 0 && braces == 0) {
            elements.push_back(Trim(content.substr(start, i - start)));
            start = i + 1;
        }
    }
    elements.push_back(Trim(content.substr(start)));
    return elements;
}

// Position of the ":" that ends a member name: the first one outside
// quotes, a backslash keeping the next character from counting (a quoted
// name may end in an escaped backslash).
std::size_t NameColon(std::string_view element) {
    bool inDouble = false, inSingle = false;
    for (std::size_t i = 0; i < element.size(); ++i) {
        const char c = element[i];
        if (c == '\\') ++i;
        else if (c == '"' && !inSingle) inDouble = !inDouble;
        else if (c == '\'' && !inDouble) inSingle = !inSingle;
        else if (c == ':' && !inDouble && !inSingle) return i;
    }
    return std::string_view::npos;
}

// A member name loses one pair of matching outer quotes (and their escapes).
std::string NormalizeName(std::string_view name) {
    name = Trim(name);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
        return std::string(Trim(Unescape(name.substr(1, name.size() - 2))));
    return std::string(name);
}

}  // namespace

cJsonNode::cJsonNode(std::string_view text, std::string_view name, cJsonNode* parent)
    : name_(Trim(name)), parent_(parent), depth_(parent ? parent->depth_ + 1 : 0) {
    Parse(text);
}

cJsonNode::~cJsonNode() = default;

void cJsonNode::Clear() {
    lines_.clear();
    tags_.clear();
}

void cJsonNode::Parse(std::string_view text) {
    Clear();
    text = Trim(text);
    isObject_ = text.empty() || text.front() != '[';
    // The outer brackets go whatever they are: a missing closing bracket
    // costs the last character.
    const std::string_view content = text.size() > 2 ? Trim(text.substr(1, text.size() - 2)) : std::string_view();
    if (content.empty()) return;
    for (std::string_view element : SplitTopLevel(content)) {
        if (element.empty()) continue;
        std::string_view name;
        std::string_view value = element;
        if (isObject_) {
            const std::size_t colon = NameColon(element);
            name = element.substr(0, colon);
            value = colon == std::string_view::npos ? std::string_view() : Trim(element.substr(colon + 1));
        }
        if (value == "null") value = {};
        AddMember(name, value);
    }
}

bool cJsonNode::MemberName(std::string_view nameText, std::string& name) const {
    name = isObject_ ? NormalizeName(nameText) : std::string();
    // Items are "name=value" lines, so a name cannot be empty or hold "=".
    return !isObject_ || (!name.empty() && name.find('=') == std::string::npos);
}

void cJsonNode::AddMember(std::string_view nameText, std::string_view valueText) {
    std::string name;
    if (!MemberName(nameText, name)) return;
    const std::string text(valueText);
    Tag tag;
    std::string value;
    const char first = text.empty() ? '\0' : text.front();
    const char last = text.empty() ? '\0' : text.back();
    const bool canNest = depth_ < kMaxDepth;
    if (text.empty()) {
        value = "null";
    } else if (text == "true" || text == "false") {
        tag.kind = kBoolean;
        value = text == "true" ? "1" : "0";
    } else if (canNest && first == '{' && last == '}') {
        tag.kind = kObject;
        tag.child = std::make_unique<cJsonNode>(text, name, this);
        value = "object";
    } else if (canNest && first == '[' && last == ']') {
        tag.kind = kArray;
        tag.child = std::make_unique<cJsonNode>(text, name, this);
        value = "array";
    } else if (first == '"' || first == '\'') {
        tag.kind = kString;
        const bool closed = text.size() >= 2 && last == first;
        value = Unescape(std::string_view(text).substr(1, text.size() - (closed ? 2 : 1)));
    } else if (!IsBlank(first) && ToFloatDef(text, 0) != 0) {
        tag.kind = kNumber;
        value = text;
    } else {
        tag.kind = NeedsQuoting(text) ? kString : kWord;
        value = Unescape(text);
    }
    Store(name, std::move(value), std::move(tag));
}

void cJsonNode::AddString(std::string_view nameText, std::string_view text) {
    std::string name;
    if (MemberName(nameText, name)) Store(name, std::string(text), Tag{kString, nullptr});
}

void cJsonNode::Store(std::string_view name, std::string value, Tag tag) {
    if (isObject_) {
        RemoveMember(name);
        value = std::string(name) + "=" + value;
    }
    lines_.push_back(std::move(value));
    tags_.push_back(std::move(tag));
}

std::string cJsonNode::NameAt(std::size_t i) const {
    if (!isObject_) return {};
    const std::string& line = lines_[i];
    return line.substr(0, line.find('='));
}

std::string cJsonNode::ValueAt(std::size_t i) const {
    const std::string& line = lines_[i];
    if (!isObject_) return line;
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string cJsonNode::GetString(std::string_view name) const {
    const int i = isObject_ ? lines_.IndexOfName(name) : -1;
    if (i < 0) return {};
    const auto at = static_cast<std::size_t>(i);
    std::string value = ValueAt(at);
    if (tags_[at].kind != kString && value == "null") return {};
    return value;
}

cJsonNode* cJsonNode::GetMember(std::string_view nameText) {
    if (!isObject_) return nullptr;
    const std::string name = NormalizeName(nameText);
    if (name.empty() || name.find('=') != std::string::npos) return nullptr;
    const int i = lines_.IndexOfName(name);
    if (i >= 0) {
        Tag& tag = tags_[static_cast<std::size_t>(i)];
        if (tag.child) return tag.child.get();
        if (tag.kind != kNull) return nullptr;
        // A null member (an empty nested node comes back as null) reads as
        // an empty object, so callers can walk it like a missing one.
        tag.kind = kObject;
        tag.child = std::make_unique<cJsonNode>(std::string_view(), name, this);
        lines_[static_cast<std::size_t>(i)] = name + "=object";
        return tag.child.get();
    }
    Tag tag{kObject, std::make_unique<cJsonNode>(std::string_view(), name, this)};
    cJsonNode* child = tag.child.get();
    lines_.push_back(name + "=object");
    tags_.push_back(std::move(tag));
    return child;
}

bool cJsonNode::HasMember(std::string_view name) const { return isObject_ && lines_.IndexOfName(name) >= 0; }

void cJsonNode::RemoveMember(std::string_view name) {
    const int i = isObject_ ? lines_.IndexOfName(name) : -1;
    if (i < 0) return;
    lines_.erase(static_cast<std::size_t>(i));
    tags_.erase(tags_.begin() + i);
}

std::string cJsonNode::WriteValue(std::size_t i) const {
    const std::string value = ValueAt(i);
    switch (tags_[i].kind) {
    case kNull: return "null";
    case kBoolean: return ToIntDef(value, 0) != 0 ? "true" : "false";
    case kString: return "\"" + Escape(value) + "\"";
    case kArray:
    case kObject: return tags_[i].child ? tags_[i].child->ToText() : std::string();
    case kNumber:
    case kWord: break;
    }
    return value;
}

std::string cJsonNode::ToText() const {
    if (lines_.empty()) return {};
    std::string out(1, isObject_ ? '{' : '[');
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += ',';
        if (isObject_) {
            const std::string name = Escape(NameAt(i));
            const bool quote = name.find_first_of("{}[]:\",'\\") != std::string::npos;
            out += quote ? "\"" + name + "\"" : name;
            out += ':';
        }
        out += WriteValue(i);
    }
    out += isObject_ ? '}' : ']';
    return out;
}

namespace {

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    char hex[8];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else if (c == 0xc2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(s[i + 1]) <= 0x9f) {
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned char>(s[++i]));
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view s) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i - from;
    };
    if (i < s.size() && s[i] == '-') ++i;
    const bool leadingZero = i < s.size() && s[i] == '0';
    const std::size_t whole = digits();
    if (whole == 0 || (leadingZero && whole > 1)) return false;
    if (i < s.size() && s[i] == '.' && (++i, digits() == 0)) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

}  // namespace

std::string cJsonNode::ToStrictJson() const {
    std::string out(1, isObject_ ? '{' : '[');
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += ',';
        if (isObject_) out += JsonString(NameAt(i)) + ':';
        const std::string value = ValueAt(i);
        const cJsonNode* child = tags_[i].child.get();
        switch (tags_[i].kind) {
        case kNull: out += "null"; break;
        case kBoolean: out += ToIntDef(value, 0) != 0 ? "true" : "false"; break;
        case kNumber: out += IsJsonNumber(value) ? value : JsonString(value); break;
        case kString:
        case kWord: out += JsonString(value); break;
        case kArray: out += child ? child->ToStrictJson() : "[]"; break;
        case kObject: out += child ? child->ToStrictJson() : "{}"; break;
        }
    }
    out += isObject_ ? '}' : ']';
    return out;
}

std::string cJsonNode::ToCommaText() const {
    std::vector<std::string> items;
    items.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const cJsonNode* child = tags_[i].child.get();
        std::string value = child ? child->ToCommaText() : ValueAt(i);
        items.push_back(isObject_ ? NameAt(i) + "=" + value : std::move(value));
    }
    return dalvero::ToCommaText(items);
}

}  // namespace dalvero
