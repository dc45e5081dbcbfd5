#include "phone_entry_rules.h"

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

DigitEdit Split(std::string_view text, std::size_t selStart, std::size_t selLength) {
    DigitEdit edit{PhoneDigits(text), DigitsBefore(text, selStart), 0};
    edit.count = DigitsBefore(text, selStart + selLength) - edit.from;
    return edit;
}

PhoneText Result(const std::string& digits, std::size_t caretDigits) {
    PhoneText result{FormatPhone(digits), 0};
    result.caret = CaretAfterDigits(result.text, caretDigits);
    return result;
}

}  // namespace

char KeypadDigit(char letter) {
    static constexpr char kKeypad[] = "22233344455566677778889999";
    const int upper = std::toupper(static_cast<unsigned char>(letter));
    return upper >= 'A' && upper <= 'Z' ? kKeypad[upper - 'A'] : 0;
}

std::string PhoneDigits(std::string_view text) {
    std::string digits;
    bool extensionMarkSeen = false;
    for (char c : text) {
        if (IsDigit(c)) {
            digits += c;
        } else if (!extensionMarkSeen && digits.size() == 10 && (c == 'x' || c == 'X')) {
            extensionMarkSeen = true;
        } else if (const char key = KeypadDigit(c)) {
            digits += key;
        }
    }
    return digits;
}

std::string FormatPhone(std::string_view digitsIn) {
    std::string text(digitsIn);
    const std::size_t n = text.size();
    if (n > 10) text.insert(10, " x");
    if (n >= 6) text.insert(6, "-");
    if (n >= 3) text.insert(3, ") ");
    if (n >= 1) text.insert(0, "(");
    return text;
}

PhoneText PhoneInsertDigit(std::string_view text, std::size_t selStart, std::size_t selLength, char digit) {
    DigitEdit edit = Split(text, selStart, selLength);
    edit.digits.replace(edit.from, edit.count, 1, digit);
    return Result(edit.digits, edit.from + 1);
}

PhoneText PhoneBackspace(std::string_view text, std::size_t selStart, std::size_t selLength) {
    DigitEdit edit = Split(text, selStart, selLength);
    if (edit.count == 0 && edit.from > 0) {
        --edit.from;
        edit.count = 1;
    }
    edit.digits.erase(edit.from, edit.count);
    return Result(edit.digits, edit.from);
}

PhoneText PhoneDelete(std::string_view text, std::size_t selStart, std::size_t selLength) {
    DigitEdit edit = Split(text, selStart, selLength);
    if (edit.count == 0 && edit.from < edit.digits.size()) edit.count = 1;
    edit.digits.erase(edit.from, edit.count);
    return Result(edit.digits, edit.from);
}

PhoneText PhoneReformat(std::string_view text, std::size_t caret) {
    return Result(PhoneDigits(text), PhoneDigits(text.substr(0, std::min(caret, text.size()))).size());
}

}  // namespace dalvero
