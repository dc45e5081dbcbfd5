#include "phone_text.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace dalvero {
namespace {

TEST(PhoneText, FormattingDigitsAndKeypadLetters) {
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

TEST(PhoneText, ListsShowWholeNumbersFormattedAndAnythingElseAsStored) {
    EXPECT_EQ(PhoneDisplayText("6145550166"), "(614) 555-0166");
    EXPECT_EQ(PhoneDisplayText("(614) 555-0166"), "(614) 555-0166");
    EXPECT_EQ(PhoneDisplayText("614555016612"), "(614) 555-0166 x12");
    EXPECT_EQ(PhoneDisplayText("5550166"), "5550166");
    EXPECT_EQ(PhoneDisplayText(""), "");
    EXPECT_EQ(PhoneDisplayText("61455501661234567"), "61455501661234567");
}

}  // namespace
}  // namespace dalvero
