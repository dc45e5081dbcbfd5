#include "phone_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

TEST(PhoneEntryRules, FormattingDigitsAndKeypadLetters) {
    for (const auto& [digits, shown] : std::vector<std::pair<const char*, const char*>>{
             {"", ""}, {"5", "(5"}, {"555", "(555) "}, {"5551234", "(555) 123-4"},
             {"8005551234", "(800) 555-1234"}, {"555123456789", "(555) 123-4567 x89"}})
        EXPECT_EQ(FormatPhone(digits), shown) << digits;
    EXPECT_EQ(KeypadDigit('S'), '7');
    EXPECT_EQ(KeypadDigit('-'), 0);
    EXPECT_EQ(PhoneDigits("1-800-FLOWERS"), "18003569377");
    // The extension mark after ten digits is no digit, elsewhere an x is.
    EXPECT_EQ(PhoneDigits("(555) 123-4567 x89"), "555123456789");
    EXPECT_EQ(PhoneDigits("555x1234567"), "55591234567");
    EXPECT_EQ(PhoneDigits("5551234567xx"), "55512345679");
}

TEST(PhoneEntryRules, TypingBuildsTheFormattedNumber) {
    PhoneText field;
    for (char digit : std::string("8005551234")) {
        field = PhoneInsertDigit(field.text, field.caret, 0, digit);
        EXPECT_EQ(field.caret, field.text.size());
    }
    EXPECT_EQ(field.text, "(800) 555-1234");
    // Typing over a selection replaces the digits selected: "555" -> "9".
    field = PhoneInsertDigit(field.text, 6, 3, '9');
    EXPECT_EQ(field.text, "(800) 912-34");
    EXPECT_EQ(field.caret, 7u);
    field = PhoneReformat("55512", 3);
    EXPECT_EQ(field.text, "(555) 12");
    EXPECT_EQ(field.caret, 4u);
}

TEST(PhoneEntryRules, BackspaceAndDeleteStepOverFormatCharacters) {
    // Behind ") " backspace takes the third digit, not a format character.
    PhoneText field = PhoneBackspace("(555) ", 6, 0);
    EXPECT_EQ(field.text, "(55");
    EXPECT_EQ(field.caret, 3u);
    // Before ")" delete takes the fourth digit.
    field = PhoneDelete("(555) 123-4567", 4, 0);
    EXPECT_EQ(field.text, "(555) 234-567");
    EXPECT_EQ(field.caret, 4u);
    // Before the blank of " x" too.
    EXPECT_EQ(PhoneDelete("(555) 123-4567 x89", 14, 0).text, "(555) 123-4567 x9");
    EXPECT_EQ(PhoneDelete("(555) 123-4567", 0, 6).text, "(123) 456-7");
    EXPECT_EQ(PhoneBackspace("(5", 0, 0).text, "(5");
    EXPECT_EQ(PhoneDelete("(555) ", 6, 0).text, "(555) ");
}

}  // namespace
}  // namespace dalvero
