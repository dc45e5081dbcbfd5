#include "phone_text.h"

#include <cctype>

namespace dalvero {

namespace {
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
constexpr std::size_t kNumberDigits = 10;
constexpr std::size_t kMostDigits = 16;
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
        } else if (!extensionMarkSeen && digits.size() == kNumberDigits && (c == 'x' || c == 'X')) {
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

std::string PhoneDisplayText(std::string_view stored) {
    const std::string digits = PhoneDigits(stored);
    if (digits.size() < kNumberDigits || digits.size() > kMostDigits) return std::string(stored);
    return FormatPhone(digits);
}

}  // namespace dalvero
