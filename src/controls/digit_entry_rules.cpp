#include "digit_entry_rules.h"

#include <algorithm>
#include <cctype>

namespace dalvero {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::size_t DigitsBefore(std::string_view text, std::size_t pos) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i)
        if (IsDigit(text[i])) ++count;
    return count;
}

// The caret right after the count-th digit; at the end once all digits are
// passed, so typing on continues the number.
std::size_t CaretAfterDigits(std::string_view formatted, std::size_t count) {
    if (count >= DigitsBefore(formatted, formatted.size())) return formatted.size();
    std::size_t seen = 0;
    std::size_t i = 0;
    for (; i < formatted.size(); ++i) {
        if (IsDigit(formatted[i]) && seen++ == count) break;
    }
    // Before the next digit when nothing precedes it, else right after the last one.
    if (count == 0) return i;
    std::size_t pos = i;
    while (pos > 0 && !IsDigit(formatted[pos - 1])) --pos;
    return pos;
}

struct DigitEdit {
    std::string digits;
    std::size_t from = 0;   // digit index of the selection's start
    std::size_t count = 0;  // digits selected
};

DigitEdit Split(const DigitFormat& format, std::string_view text, std::size_t selStart, std::size_t selLength) {
    DigitEdit edit{format.digits(text), DigitsBefore(text, selStart), 0};
    edit.count = DigitsBefore(text, selStart + selLength) - edit.from;
    return edit;
}

DigitFieldText Result(const DigitFormat& format, const std::string& digits, std::size_t caretDigits) {
    DigitFieldText result{format.format(digits), 0};
    result.caret = CaretAfterDigits(result.text, caretDigits);
    return result;
}

}  // namespace

DigitFieldText DigitInsert(const DigitFormat& format, std::string_view text, std::size_t selStart,
                           std::size_t selLength, char digit) {
    DigitEdit edit = Split(format, text, selStart, selLength);
    if (edit.digits.size() - edit.count >= format.maxDigits) return Result(format, edit.digits, edit.from);
    edit.digits.replace(edit.from, edit.count, 1, digit);
    return Result(format, edit.digits, edit.from + 1);
}

DigitFieldText DigitBackspace(const DigitFormat& format, std::string_view text, std::size_t selStart,
                              std::size_t selLength) {
    DigitEdit edit = Split(format, text, selStart, selLength);
    if (edit.count == 0 && edit.from > 0) {
        --edit.from;
        edit.count = 1;
    }
    edit.digits.erase(edit.from, edit.count);
    return Result(format, edit.digits, edit.from);
}

DigitFieldText DigitDelete(const DigitFormat& format, std::string_view text, std::size_t selStart,
                           std::size_t selLength) {
    DigitEdit edit = Split(format, text, selStart, selLength);
    if (edit.count == 0 && edit.from < edit.digits.size()) edit.count = 1;
    edit.digits.erase(edit.from, edit.count);
    return Result(format, edit.digits, edit.from);
}

DigitFieldText DigitReformat(const DigitFormat& format, std::string_view text, std::size_t caret) {
    std::string digits = format.digits(text);
    if (digits.size() > format.maxDigits) digits.resize(format.maxDigits);
    return Result(format, digits, format.digits(text.substr(0, std::min(caret, text.size()))).size());
}

}  // namespace dalvero
