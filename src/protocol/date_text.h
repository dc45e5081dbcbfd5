#pragma once
// The product's one date conversion: dates travel and are stored as
// "yyyymmdd" text, are shown and typed as "mm/dd/yyyy", and are counted in
// days from 30 December 1899 where the servers exchange day numbers.

#include <compare>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dalvero {

// Typed text that does not read as a date.
class DateConversionError : public std::runtime_error {
public:
    explicit DateConversionError(const std::string& text) : std::runtime_error("'" + text + "' is not a valid date") {}
};

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;

    // The zero date stands for "no date".
    bool IsNull() const { return year == 0 && month == 0 && day == 0; }
    friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

bool IsValidDate(int year, int month, int day);
inline bool IsValidDate(const CivilDate& d) { return IsValidDate(d.year, d.month, d.day); }

// Days from 30 December 1899 (day 1 is 31 December 1899), and back.
int DaySerial(const CivilDate& date);
CivilDate FromDaySerial(int serial);

// The local calendar date now.
CivilDate Today();

// A two-digit year below 71 is 20yy, any other 19yy.
int ExpandTwoDigitYear(int yy);

// "yyyymmdd" from the first eight characters; nullopt unless they form a
// valid date.
std::optional<CivilDate> ParseYmd(std::string_view text);
std::string ToYmd(const CivilDate& date);
// "mm/dd/yyyy".
std::string ToDisplay(const CivilDate& date);
// Month/day/year as typed ("5/6/04", "05/06/2004"): one- or two-digit
// years are expanded, an empty or missing year is today's; nullopt when the
// text is not such a date.
std::optional<CivilDate> ParseDisplay(std::string_view text, const CivilDate& today);

// Stored "yyyymmdd" (longer date-times use their date part) as "mm/dd/yyyy";
// text with "/" is returned as it is; empty for short text, invalid dates and
// dates before 8 January 1900.
std::string DateToDisplay(std::string_view text);

// The time of day of a stored date-time ("yyyymmddhhnn...") as "hh:nn";
// empty unless characters 9 to 12 are hours 00-23 and minutes 00-59. Every
// fixed-position read of a stored time goes through here.
std::string StampTimeOfDay(std::string_view stamp);
// Whether text is a stored date or date-time the servers keep: empty, or
// "yyyymmdd" of a valid date, alone or followed by "hhnn" or "hhnnss" of a
// valid time of day.
bool IsStoredDateTime(std::string_view text);

// What a user typed ("5/6/2004", "050604", "2004-05-06", "0506") as
// "yyyymmdd"; empty for empty text, unusable lengths and days on or before
// 30 December 1899. Throws DateConversionError for text that is no date.
std::string NormalizeDate(std::string_view text, const CivilDate& today);
inline std::string NormalizeDate(std::string_view text) { return NormalizeDate(text, Today()); }

}  // namespace dalvero
