#include "need_time.h"

#include <cctype>

namespace dalvero {
namespace {
// Left-padded with "0" to two digits and cut to two.
std::string TwoDigits(std::string digits) {
    while (digits.size() < 2) digits.insert(digits.begin(), '0');
    return digits.substr(0, 2);
}
}  // namespace

std::optional<std::string> NormalizeNeedTime(std::string_view text) {
    if (text.empty()) return std::string();
    std::string digits;
    std::size_t separator = std::string::npos;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (separator == std::string::npos)
            separator = digits.size();
    }
    std::string hours;
    std::string minutes;
    if (separator != std::string::npos) {
        hours = digits.substr(0, separator);
        minutes = digits.substr(separator);
    } else if (digits.size() <= 2) {
        hours = digits;
    } else if (digits.size() == 3) {
        hours = digits.substr(0, 1);
        minutes = digits.substr(1, 2);
    } else {
        hours = digits.substr(0, 2);
        minutes = digits.substr(2, 2);
    }
    const std::string hh = TwoDigits(hours);
    const std::string mm = TwoDigits(minutes);
    if (std::stoi(hh) > 23 || std::stoi(mm) > 59) return std::nullopt;
    return hh + mm;
}

}  // namespace dalvero
