#pragma once
// Fields that hold digits only but show them with separators (phone numbers,
// Social Security numbers): edits at the caret or on a selection work on the
// digits and step over the separators; the text is formatted again after
// each edit with the caret kept behind the same digit.

#include <cstddef>
#include <string>
#include <string_view>

namespace dalvero {

// A formatted field's text with its caret, after an edit.
struct DigitFieldText {
    std::string text;
    std::size_t caret = 0;
};

struct DigitFormat {
    // The digits of a field's or pasted text.
    std::string (*digits)(std::string_view text);
    // The digits shown with their separators.
    std::string (*format)(std::string_view digits);
    // A digit typed into a full field is refused.
    std::size_t maxDigits = std::string::npos;
};

// Selections are given by start and length in `text`.
DigitFieldText DigitInsert(const DigitFormat& format, std::string_view text, std::size_t selStart,
                           std::size_t selLength, char digit);
DigitFieldText DigitBackspace(const DigitFormat& format, std::string_view text, std::size_t selStart,
                              std::size_t selLength);
DigitFieldText DigitDelete(const DigitFormat& format, std::string_view text, std::size_t selStart,
                           std::size_t selLength);
// Pasted or otherwise changed text formatted again (cut to the most digits).
DigitFieldText DigitReformat(const DigitFormat& format, std::string_view text, std::size_t caret);

}  // namespace dalvero
