#include "date_entry_rules.h"

#include <algorithm>
#include <cctype>

#include "string_list.h"

namespace dalvero {

namespace {

bool IsCommand(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == 'D' || upper == 'E' || upper == 'F';
}

// Only a real calendar date is shown; anything else clears the field.
std::string Checked(const std::string& display, const CivilDate& today) {
    const auto date = ParseDisplay(display, today);
    return date ? ToDisplay(*date) : std::string();
}

std::string DaysFromToday(std::string_view number, const CivilDate& today) {
    // Nine typed digits at most; anything beyond the calendar's years is no date.
    const long long offset = ToIntDef(number, 0);
    const long long serial = DaySerial(today) + offset;
    if (serial < DaySerial({1, 1, 1}) || serial > DaySerial({9999, 12, 31})) return {};
    return ToDisplay(FromDaySerial(static_cast<int>(serial)));
}

// F and E: "" this month, a signed n months from this one, or one or two
// digits naming a month of this year.
std::string MonthCommand(std::string_view rest, const CivilDate& today, bool lastDay) {
    int year = today.year;
    int month = today.month;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        const long long index = static_cast<long long>(year) * 12 + (month - 1) + ToIntDef(rest, 0);
        if (index < 12 || index >= 10000LL * 12) return {};
        year = static_cast<int>(index / 12);
        month = static_cast<int>(index % 12) + 1;
    } else if (!rest.empty()) {
        month = rest.size() > 2 ? 0 : ToIntDef(rest, 0);
        if (month < 1 || month > 12) return {};
    }
    if (!lastDay) return ToDisplay({year, month, 1});
    const CivilDate nextFirst = month == 12 ? CivilDate{year + 1, 1, 1} : CivilDate{year, month + 1, 1};
    return ToDisplay(FromDaySerial(DaySerial(nextFirst) - 1));
}

}  // namespace

std::string NormalizeDateEntry(std::string_view typed, const CivilDate& today) {
    std::string text(typed);
    if (text.empty()) return {};

    // Commands keep their sign; "12-25-2005" reads like "12/25/2005" and any
    // other hyphen is noise.
    if (!IsCommand(text[0])) {
        if (text.find('-') == 2)
            std::replace(text.begin(), text.end(), '-', '/');
        else
            std::erase(text, '-');
    }
    if (text.find('/') == std::string::npos && text.size() > 8) text.resize(8);
    if (text.size() > 10) text.resize(10);
    if (text.size() == 10 && text[2] == '/' && text[5] == '/') return Checked(text, today);

    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    const std::string_view rest = std::string_view(text).substr(1);
    switch (text[0]) {
    case 'D':
        return DaysFromToday(rest, today);
    case 'F':
        return MonthCommand(rest, today, false);
    case 'E':
        return MonthCommand(rest, today, true);
    default:
        break;
    }

    if (text.size() < 6) return {};
    if (text[1] == '/') text.insert(0, "0");
    if (text[4] == '/') text.insert(3, "0");
    if (text.size() == 10) return Checked(text, today);

    std::erase_if(text, [](char c) { return !std::isdigit(static_cast<unsigned char>(c)); });
    if (text.size() == 6) {
        const int year = ExpandTwoDigitYear(ToIntDef(text.substr(4, 2), 0));
        return Checked(text.substr(0, 2) + "/" + text.substr(2, 2) + "/" + std::to_string(year), today);
    }
    if (text.size() == 8) return Checked(text.substr(0, 2) + "/" + text.substr(2, 2) + "/" + text.substr(4, 4), today);
    return {};
}

}  // namespace dalvero
