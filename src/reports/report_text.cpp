#include "report_text.h"

#include <algorithm>
#include <cctype>

#include "date_text.h"

namespace dalvero {

namespace {

constexpr std::size_t kStampLength = 17;  // yyyymmddhhnnsszzz

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

}  // namespace

std::string PadField(std::string_view value, std::size_t width, char pad, Justify justify) {
    if (value.size() >= width)
        return std::string(justify == Justify::Right ? value.substr(value.size() - width) : value.substr(0, width));
    const std::string padding(width - value.size(), pad);
    return justify == Justify::Right ? padding + std::string(value) : std::string(value) + padding;
}

std::string ColumnText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        // U+0080..U+009F are C2 80..C2 9F in UTF-8.
        if (c == 0xc2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) <= 0x9f &&
            static_cast<unsigned char>(value[i + 1]) >= 0x80) {
            out += ' ';
            ++i;
        } else {
            out += IsControl(c) ? ' ' : static_cast<char>(c);
        }
    }
    return out;
}

std::string FixedWidthText(std::string_view value) {
    std::string out(value);
    std::replace_if(
        out.begin(), out.end(),
        [](char c) { return IsControl(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) > 0x7f; }, ' ');
    return out;
}

std::string DateTimeText(std::string_view stored) {
    const std::optional<CivilDate> date = ParseYmd(stored);
    if (!date) return {};
    const std::string key = DateTimeKey(stored);
    return ToDisplay(*date) + " " + key.substr(8, 2) + ":" + key.substr(10, 2);
}

std::string DateTimeKey(std::string_view stored) {
    std::string key(stored.substr(0, std::min(stored.size(), kStampLength)));
    if (!std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c); })) key.clear();
    return PadField(key, kStampLength, '0', Justify::Left);
}

}  // namespace dalvero
