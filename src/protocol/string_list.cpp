#include "string_list.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace dalvero {

namespace {

bool IsBlankOrControl(unsigned char c) { return c >= 1 && c <= ' '; }

// Leading blanks and one '+' are allowed; anything after the number makes it
// no number.
template <typename Number>
Number ToNumberDef(std::string_view text, Number fallback) {
    while (!text.empty() && IsBlankOrControl(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return fallback;
    Number value{};
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) return fallback;
    return value;
}

bool NeedsQuotes(std::string_view item) {
    for (unsigned char c : item) {
        if (c <= ' ' || c == '"' || c == ',') return true;
    }
    return false;
}

}  // namespace

void AppendCommaItem(std::string& out, std::string_view item) {
    if (!NeedsQuotes(item)) {
        out += item;
        return;
    }
    out += '"';
    // Runs between quotes go in whole; each quote goes in doubled.
    for (std::size_t quote; (quote = item.find('"')) != std::string_view::npos; item.remove_prefix(quote + 1)) {
        out.append(item.data(), quote + 1);
        out += '"';
    }
    out += item;
    out += '"';
}

std::string ToCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        AppendCommaItem(out, items[i]);
    }
    return out;
}

std::vector<std::string> ParseCommaText(std::string_view text) {
    if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string> items;
    std::size_t p = 0;
    const std::size_t n = text.size();
    auto at = [&](std::size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(text[i]) : 0; };
    while (IsBlankOrControl(at(p))) ++p;
    while (p < n) {
        std::string item;
        if (at(p) == '"') {
            ++p;
            // Runs between quotes go in whole; a doubled quote stands for one,
            // and an unterminated item runs to the end.
            while (p < n) {
                const std::size_t quote = std::min(text.find('"', p), n);
                item.append(text.substr(p, quote - p));
                p = quote + 1;
                if (p >= n || text[p] != '"') break;
                item += '"';
                ++p;
            }
            p = std::min(p, n);
        } else {
            const std::size_t start = p;
            while (at(p) > ' ' && at(p) != ',') ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (IsBlankOrControl(at(p))) ++p;
        if (at(p) == ',') {
            if (p + 1 == n) items.emplace_back();
            do {
                ++p;
            } while (IsBlankOrControl(at(p)));
        }
    }
    return items;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

int StringList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const auto eq = items_[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(items_[i]).substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string StringList::Value(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) return {};
    const std::string& item = items_[static_cast<std::size_t>(i)];
    return item.substr(item.find('=') + 1);
}

void StringList::SetValue(std::string_view name, std::string_view value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) erase(static_cast<std::size_t>(i));
        return;
    }
    std::string item = std::string(name) + "=" + std::string(value);
    if (i >= 0)
        items_[static_cast<std::size_t>(i)] = std::move(item);
    else
        items_.push_back(std::move(item));
}

int ToIntDef(std::string_view text, int fallback) { return ToNumberDef(text, fallback); }

double ToFloatDef(std::string_view text, double fallback) { return ToNumberDef(text, fallback); }

}  // namespace dalvero
