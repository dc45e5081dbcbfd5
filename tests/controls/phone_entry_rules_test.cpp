#include "phone_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

TEST(PhoneEntryRules, Formatting) {
    EXPECT_EQ(FormatPhone(""), "");
    EXPECT_EQ(FormatPhone("5"), "(5");
    EXPECT_EQ(FormatPhone("555"), "(555) ");
    EXPECT_EQ(FormatPhone("5551234"), "(555) 123-4");
    EXPECT_EQ(FormatPhone("8005551234"), "(800) 555-1234");
    EXPECT_EQ(FormatPhone("555123456789"), "(555) 123-4567 x89");
}

TEST(PhoneEntryRules, DigitsAndKeypadLetters) {
    EXPECT_EQ(KeypadDigit('a'), '2');
    EXPECT_EQ(KeypadDigit('S'), '7');
    EXPECT_EQ(KeypadDigit('z'), '9');
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
    field = PhoneDelete("(555) 123-4567 x89", 14, 0);
    EXPECT_EQ(field.text, "(555) 123-4567 x9");
    field = PhoneInsertDigit(field.text, field.text.size(), 0, '1');
    EXPECT_EQ(field.text, "(555) 123-4567 x91");
    field = PhoneDelete("(555) 123-4567", 0, 6);
    EXPECT_EQ(field.text, "(123) 456-7");
    EXPECT_EQ(PhoneBackspace("(5", 0, 0).text, "(5");
    EXPECT_EQ(PhoneDelete("(555) ", 6, 0).text, "(555) ");
}

TEST(PhoneEntryRules, ReformatKeepsTheCaretBehindItsDigit) {
    PhoneText field = PhoneReformat("(555) 123-4567 x89", 18);
    EXPECT_EQ(field.text, "(555) 123-4567 x89");
    EXPECT_EQ(field.caret, field.text.size());
    field = PhoneReformat("55512", 3);
    EXPECT_EQ(field.text, "(555) 12");
    EXPECT_EQ(field.caret, 4u);
}

}  // namespace
}  // namespace dalvero
