#pragma once
// How the case screens show and store a case's values: Social Security
// numbers, names, gender and marital status, how the patient left, the
// discharge date-time, and the fixed choice lists of the patient editors.

#include <string>
#include <string_view>
#include <vector>

#include "digit_entry_rules.h"

namespace dalvero {

// Social Security numbers: nine digits stored, shown "123-45-6789" and
// grouped with a trailing dash while typed ("123-", "123-45-").
std::string SsnDigits(std::string_view text);
std::string FormatSsn(std::string_view digits);
inline constexpr DigitFormat kSsnFormat{SsnDigits, FormatSsn, 9};
// A stored number as the case screen shows it; empty unless it has 9 characters.
std::string SsnLabel(std::string_view stored);

// "First Middle Last", the middle name only when there is one.
std::string PatientFullName(std::string_view first, std::string_view middle, std::string_view last);
// "Female, Married": each part from its stored letter, other values as stored.
std::string GenderMaritalText(std::string_view gender, std::string_view marital);
// "Left with family member (by car)": how the patient left and the explanation.
std::string LeftWithText(std::string_view how, std::string_view explanation);
// The room, then "   Bed: " and the bed when there is one.
std::string RoomText(std::string_view room, std::string_view bed);
// A person's display name: the title and a blank when present, first and last name.
std::string PersonDisplayName(std::string_view title, std::string_view first, std::string_view last);

// A stored "yyyymmddhhnnss" as "mm/dd/yyyy h:mm AM/PM"; the date alone when
// the text has no time; empty for short text or an invalid date; text with
// "/" as it is.
std::string DateTimeToDisplay(std::string_view text);
// The stored discharge date-time from "yyyymmdd" and "hhnn": empty without a
// date (so no half value is stored), midnight without a time.
std::string DischargeStamp(std::string_view ymd, std::string_view hhnn);

// A language of the choice lists: stored code and shown name.
struct Language {
    const char* code;
    const char* name;
};
// The intake order and the patient information editor's order (the most
// asked-for languages first).
const std::vector<Language>& IntakeLanguages();
const std::vector<Language>& InfoEditLanguages();
// The name of a stored code; empty for an unknown code.
std::string LanguageName(std::string_view code);

// The fixed choice lists, stored as shown.
const std::vector<const char*>& GenderChoices();
const std::vector<const char*>& MaritalChoices();
const std::vector<const char*>& EthnicityChoices();

}  // namespace dalvero
