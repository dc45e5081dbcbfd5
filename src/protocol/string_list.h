#pragma once
// The ordered text list that every DataServer request and reply travels as:
// written and read as comma text, with name=value items found by name.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

// Comma text of a list: items joined by ",", an item quoted (inner quotes
// doubled) when it holds a comma, a double quote, a space or a control byte.
std::string ToCommaText(const std::vector<std::string>& items);
// Appends one item as ToCommaText writes it (the caller writes the commas),
// so a long list is written straight into one buffer.
void AppendCommaItem(std::string& out, std::string_view item);

// Reads comma text: blanks and control bytes around items are skipped, a
// quoted item runs to its closing quote, an unquoted one ends at a comma or a
// blank (so "John Smith" reads as two items), and a trailing comma adds one
// empty item. Reading stops at a NUL byte, as on the wire.
std::vector<std::string> ParseCommaText(std::string_view text);

// Case-insensitive comparison of ASCII names (field names, item names).
bool SameText(std::string_view a, std::string_view b);

class StringList {
public:
    StringList() = default;
    StringList(std::initializer_list<std::string> items) : items_(items) {}
    explicit StringList(std::vector<std::string> items) : items_(std::move(items)) {}

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    void clear() { items_.clear(); }
    void push_back(std::string item) { items_.push_back(std::move(item)); }
    void erase(std::size_t index) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index)); }
    std::string& operator[](std::size_t i) { return items_[i]; }
    const std::string& operator[](std::size_t i) const { return items_[i]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    const std::vector<std::string>& items() const { return items_; }
    std::vector<std::string>& items() { return items_; }

    std::string CommaText() const { return ToCommaText(items_); }
    void SetCommaText(std::string_view text) { items_ = ParseCommaText(text); }

    // Index of the first item whose part before its first "=" equals name
    // (letter case ignored); -1 when none does. Items without "=" never match.
    int IndexOfName(std::string_view name) const;
    // Value of the first item named name; empty when there is none.
    std::string Value(std::string_view name) const;
    // An empty value removes the item; any other value replaces the first
    // match or appends name=value at the end.
    void SetValue(std::string_view name, std::string_view value);

    bool operator==(const StringList&) const = default;

private:
    std::vector<std::string> items_;
};

// Whole-number and floating-point readings of wire text: the default when
// the text is not a number (leading blanks allowed, nothing after the digits).
int ToIntDef(std::string_view text, int fallback);
double ToFloatDef(std::string_view text, double fallback);

}  // namespace dalvero
