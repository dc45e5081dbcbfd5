#include "phone_entry_rules.h"

namespace dalvero {

PhoneText PhoneInsertDigit(std::string_view text, std::size_t selStart, std::size_t selLength, char digit) {
    return DigitInsert(kPhoneFormat, text, selStart, selLength, digit);
}

PhoneText PhoneBackspace(std::string_view text, std::size_t selStart, std::size_t selLength) {
    return DigitBackspace(kPhoneFormat, text, selStart, selLength);
}

PhoneText PhoneDelete(std::string_view text, std::size_t selStart, std::size_t selLength) {
    return DigitDelete(kPhoneFormat, text, selStart, selLength);
}

PhoneText PhoneReformat(std::string_view text, std::size_t caret) { return DigitReformat(kPhoneFormat, text, caret); }

}  // namespace dalvero
