#include "time_entry_rules.h"

#include <cctype>
#include <cstdio>

namespace dalvero {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string TwoDigits(int value) {
    char out[8];
    std::snprintf(out, sizeof out, "%02d", value);
    return out;
}

// The next one or two digits after any non-digits; false when none remain.
bool NextNumber(const std::string& text, std::size_t& pos, int& value) {
    while (pos < text.size() && !IsDigit(text[pos])) ++pos;
    if (pos >= text.size()) return false;
    value = text[pos++] - '0';
    if (pos < text.size() && IsDigit(text[pos])) value = value * 10 + (text[pos++] - '0');
    return true;
}

}  // namespace

std::string NormalizeTimeEntry(std::string_view typed, const ClockTime& now, bool twelveHour) {
    std::string text;
    for (char c : typed) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!text.empty() && (text[0] == 't' || text[0] == 'n')) text = TwoDigits(now.hour) + ":" + TwoDigits(now.minute);

    char meridiem = 0;
    for (auto it = text.rbegin(); it != text.rend() && !meridiem; ++it)
        if (*it == 'a' || *it == 'p') meridiem = *it;
    std::erase_if(text, [](char c) { return c >= 'a' && c <= 'z'; });

    std::size_t pos = 0;
    int hour = 0;
    if (!NextNumber(text, pos, hour) || hour > 23) return {};
    if (meridiem == 'p' && hour < 12) hour += 12;
    // 12 am is midnight.
    if (meridiem == 'a' && hour == 12) hour = 0;

    int minute = 0;
    if (NextNumber(text, pos, minute) && minute > 59) minute = 0;
    int second = 0;
    const bool withSeconds = NextNumber(text, pos, second);
    if (second > 59) second = 0;

    std::string suffix;
    if (twelveHour) {
        suffix = hour >= 12 ? " pm" : " am";
        if (hour == 0)
            hour = 12;
        else if (hour > 12)
            hour -= 12;
    }
    return TwoDigits(hour) + ":" + TwoDigits(minute) + (withSeconds ? ":" + TwoDigits(second) : std::string()) + suffix;
}

}  // namespace dalvero
