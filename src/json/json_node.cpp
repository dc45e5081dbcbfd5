#include "json_node.h"

#include <algorithm>
#include <cstdio>

#include "utf8_text.h"

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

// The key of a member name in the slot index: ASCII letters in lower case,
// as SameText compares them.
std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
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
    slots_.clear();
    removed_ = 0;
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
        slots_[FoldedName(name)] = lines_.size();
        value = std::string(name) + "=" + value;
    }
    lines_.push_back(std::move(value));
    tags_.push_back(std::move(tag));
}

std::size_t cJsonNode::Find(std::string_view name) const {
    if (!isObject_) return kNone;
    const auto found = slots_.find(FoldedName(name));
    return found == slots_.end() ? kNone : found->second;
}

void cJsonNode::Compact() const {
    if (removed_ == 0) return;
    std::size_t kept = 0;
    for (std::size_t slot = 0; slot < tags_.size(); ++slot) {
        if (tags_[slot].removed) continue;
        if (kept != slot) {
            lines_[kept] = std::move(lines_[slot]);
            tags_[kept] = std::move(tags_[slot]);
        }
        if (isObject_) slots_[FoldedName(NameOf(kept))] = kept;
        ++kept;
    }
    lines_.items().resize(kept);
    tags_.resize(kept);
    removed_ = 0;
}

std::string cJsonNode::NameOf(std::size_t slot) const {
    if (!isObject_) return {};
    const std::string& line = lines_[slot];
    return line.substr(0, line.find('='));
}

std::string cJsonNode::ValueOf(std::size_t slot) const {
    const std::string& line = lines_[slot];
    if (!isObject_) return line;
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

const StringList& cJsonNode::Items() const {
    Compact();
    return lines_;
}

cJsonNode::Kind cJsonNode::KindAt(std::size_t i) const {
    Compact();
    return tags_[i].kind;
}

cJsonNode* cJsonNode::ChildAt(std::size_t i) const {
    Compact();
    return tags_[i].child.get();
}

std::string cJsonNode::NameAt(std::size_t i) const {
    Compact();
    return NameOf(i);
}

std::string cJsonNode::ValueAt(std::size_t i) const {
    Compact();
    return ValueOf(i);
}

std::string cJsonNode::GetString(std::string_view name) const {
    const std::size_t slot = Find(name);
    if (slot == kNone) return {};
    std::string value = ValueOf(slot);
    if (tags_[slot].kind != kString && value == "null") return {};
    return value;
}

cJsonNode* cJsonNode::GetMember(std::string_view nameText) {
    if (!isObject_) return nullptr;
    const std::string name = NormalizeName(nameText);
    if (name.empty() || name.find('=') != std::string::npos) return nullptr;
    if (const std::size_t slot = Find(name); slot != kNone) {
        Tag& tag = tags_[slot];
        if (tag.child) return tag.child.get();
        if (tag.kind != kNull) return nullptr;
        // A null member (an empty nested node comes back as null) reads as
        // an empty object, so callers can walk it like a missing one.
        tag.kind = kObject;
        tag.child = std::make_unique<cJsonNode>(std::string_view(), name, this);
        lines_[slot] = name + "=object";
        return tag.child.get();
    }
    Tag tag{kObject, std::make_unique<cJsonNode>(std::string_view(), name, this)};
    cJsonNode* child = tag.child.get();
    Store(name, "object", std::move(tag));
    return child;
}

bool cJsonNode::HasMember(std::string_view name) const { return Find(name) != kNone; }

int cJsonNode::IndexOf(std::string_view name) const {
    Compact();
    const std::size_t slot = Find(name);
    return slot == kNone ? -1 : static_cast<int>(slot);
}

void cJsonNode::RemoveMember(std::string_view name) {
    const auto found = isObject_ ? slots_.find(FoldedName(name)) : slots_.end();
    if (found == slots_.end()) return;
    Tag& tag = tags_[found->second];
    tag.removed = true;
    tag.child.reset();
    lines_[found->second].clear();
    slots_.erase(found);
    ++removed_;
}

std::string cJsonNode::WriteValue(std::size_t slot) const {
    const std::string value = ValueOf(slot);
    switch (tags_[slot].kind) {
    case kNull: return "null";
    case kBoolean: return ToIntDef(value, 0) != 0 ? "true" : "false";
    case kString: return "\"" + Escape(value) + "\"";
    case kArray:
    case kObject: return tags_[slot].child ? tags_[slot].child->ToText() : std::string();
    case kNumber:
    case kWord: break;
    }
    return value;
}

std::string cJsonNode::ToText() const {
    Compact();
    if (lines_.empty()) return {};
    std::string out(1, isObject_ ? '{' : '[');
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += ',';
        if (isObject_) {
            const std::string name = Escape(NameOf(i));
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

std::string StrictJsonString(std::string_view s) {
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
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = Utf8SequenceLength(s.substr(i)); length == 0) {
            // JSON is UTF-8 text: a byte outside it would make the whole
            // document unreadable to a strict reader.
            out += "\\ufffd";
        } else {
            out.append(s.substr(i, length));
            i += length - 1;
        }
    }
    return out + "\"";
}

std::string cJsonNode::ToStrictJson() const {
    Compact();
    std::string out(1, isObject_ ? '{' : '[');
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += ',';
        if (isObject_) out += StrictJsonString(NameOf(i)) + ':';
        const std::string value = ValueOf(i);
        const cJsonNode* child = tags_[i].child.get();
        switch (tags_[i].kind) {
        case kNull: out += "null"; break;
        case kBoolean: out += ToIntDef(value, 0) != 0 ? "true" : "false"; break;
        case kNumber: out += IsJsonNumber(value) ? value : StrictJsonString(value); break;
        case kString:
        case kWord: out += StrictJsonString(value); break;
        case kArray: out += child ? child->ToStrictJson() : "[]"; break;
        case kObject: out += child ? child->ToStrictJson() : "{}"; break;
        }
    }
    out += isObject_ ? '}' : ']';
    return out;
}

}  // namespace dalvero
