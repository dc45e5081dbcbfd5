#include "date_text.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "string_list.h"

namespace dalvero {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool AllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

// Earliest date that the display conversion shows.
constexpr CivilDate kFirstShownDate{1900, 1, 8};

std::optional<CivilDate> ValidDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return std::nullopt;
    return CivilDate{year, month, day};
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

int DaySerial(const CivilDate& date) {
    using namespace std::chrono;
    const sys_days day = year_month_day{year{date.year}, month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
    return static_cast<int>((day - sys_days{1899y / December / 30}).count());
}

CivilDate FromDaySerial(int serial) {
    using namespace std::chrono;
    const year_month_day ymd{sys_days{1899y / December / 30} + days{serial}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

CivilDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

int ExpandTwoDigitYear(int yy) { return yy < 71 ? 2000 + yy : 1900 + yy; }

std::optional<CivilDate> ParseYmd(std::string_view text) {
    if (text.size() < 8 || !AllDigits(text.substr(0, 8))) return std::nullopt;
    return ValidDate(ToIntDef(text.substr(0, 4), 0), ToIntDef(text.substr(4, 2), 0), ToIntDef(text.substr(6, 2), 0));
}

std::string ToYmd(const CivilDate& date) {
    char out[16];
    std::snprintf(out, sizeof out, "%04d%02d%02d", date.year, date.month, date.day);
    return out;
}

std::string ToDisplay(const CivilDate& date) {
    char out[16];
    std::snprintf(out, sizeof out, "%02d/%02d/%04d", date.month, date.day, date.year);
    return out;
}

std::optional<CivilDate> ParseDisplay(std::string_view text, const CivilDate& today) {
    const auto first = text.find('/');
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view month = text.substr(0, first);
    std::string_view rest = text.substr(first + 1);
    const auto second = rest.find('/');
    const std::string_view day = rest.substr(0, second);
    const std::string_view year = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
    if (!AllDigits(month) || !AllDigits(day) || month.size() > 2 || day.size() > 2) return std::nullopt;
    int y = today.year;
    if (!year.empty()) {
        if (!AllDigits(year) || year.size() > 4) return std::nullopt;
        y = ToIntDef(year, 0);
        if (year.size() <= 2) y = ExpandTwoDigitYear(y);
    }
    return ValidDate(y, ToIntDef(month, 0), ToIntDef(day, 0));
}

std::string DateToDisplay(std::string_view text) {
    if (text.size() < 8) return {};
    if (text.find('/') != std::string_view::npos) return std::string(text);
    const auto date = ParseYmd(text);
    if (!date || *date < kFirstShownDate) return {};
    return ToDisplay(*date);
}

std::string StampTimeOfDay(std::string_view stamp) {
    if (stamp.size() < 12 || !AllDigits(stamp.substr(8, 4))) return {};
    const int hours = ToIntDef(stamp.substr(8, 2), 99);
    const int minutes = ToIntDef(stamp.substr(10, 2), 99);
    if (hours > 23 || minutes > 59) return {};
    return std::string(stamp.substr(8, 2)) + ":" + std::string(stamp.substr(10, 2));
}

bool IsStoredDateTime(std::string_view text) {
    if (text.empty()) return true;
    if (!ParseYmd(text)) return false;
    if (text.size() == 8) return true;
    if (text.size() != 12 && text.size() != 14) return false;
    if (StampTimeOfDay(text).empty()) return false;
    return text.size() == 12 || (AllDigits(text.substr(12)) && ToIntDef(text.substr(12), 99) < 60);
}

std::string NormalizeDate(std::string_view typed, const CivilDate& today) {
    if (typed.empty()) return {};
    // "2004-05-06": a separator right after a four-digit year is dropped;
    // any other separator becomes "/".
    const auto firstNonDigit = std::find_if_not(typed.begin(), typed.end(), IsDigit);
    const bool yearFirst = firstNonDigit - typed.begin() == 4;
    std::string text;
    for (char c : typed) {
        if (IsDigit(c)) text += c;
        else if (!yearFirst) text += '/';
    }

    if (text.find('/') != std::string::npos) {
        const auto date = ParseDisplay(text, today);
        if (!date) throw DateConversionError(std::string(typed));
        return DaySerial(*date) < 1 ? std::string() : ToYmd(*date);
    }

    std::string ymd;
    if (text.size() >= 8) {
        ymd = text.substr(0, 8);
    } else if (text.size() == 4) {
        ymd = std::to_string(today.year) + text;
    } else if (text.size() == 6) {
        ymd = std::to_string(ExpandTwoDigitYear(ToIntDef(text.substr(4, 2), 0))) + text.substr(0, 4);
    } else {
        return {};
    }
    // Stored dates are always valid ones: "1399" or "20041340" are no dates.
    if (!ParseYmd(ymd)) throw DateConversionError(std::string(typed));
    return ymd;
}

}  // namespace dalvero
