#include "phone_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

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
