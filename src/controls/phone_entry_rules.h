#pragma once
// US phone numbers as typed and shown: digits only underneath, letters typed
// as their keypad digits, shown as "(800) 555-1234 x12" while typing.

#include <cstddef>
#include <string>
#include <string_view>

#include "digit_entry_rules.h"
#include "phone_text.h"

namespace dalvero {

// Ten digits of the number and at most six of its extension.
inline constexpr std::size_t kMostPhoneDigits = 16;

// The phone field's digits and format; typed or pasted digits beyond
// kMostPhoneDigits are refused.
inline constexpr DigitFormat kPhoneFormat{PhoneDigits, FormatPhone, kMostPhoneDigits};

// A formatted number with its caret, after an edit.
using PhoneText = DigitFieldText;

// Edits at the caret or on the selection (selection start and length in
// `text`), which work on the digits and step over the format characters.
PhoneText PhoneInsertDigit(std::string_view text, std::size_t selStart, std::size_t selLength, char digit);
PhoneText PhoneBackspace(std::string_view text, std::size_t selStart, std::size_t selLength);
PhoneText PhoneDelete(std::string_view text, std::size_t selStart, std::size_t selLength);
// Pasted or otherwise changed text made a formatted number again, the caret
// kept behind the same digit.
PhoneText PhoneReformat(std::string_view text, std::size_t caret);

}  // namespace dalvero
