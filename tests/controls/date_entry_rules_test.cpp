#include "date_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

// A Friday in a leap year.
const CivilDate kToday{2024, 3, 15};

std::string Normalize(std::string_view text) { return NormalizeDateEntry(text, kToday); }

TEST(DateEntryRules, TypedDigitForms) {
    EXPECT_EQ(Normalize(""), "");
    EXPECT_EQ(Normalize("122505"), "12/25/2005");
    EXPECT_EQ(Normalize("122571"), "12/25/1971");
    EXPECT_EQ(Normalize("122570"), "12/25/2070");
    EXPECT_EQ(Normalize("12252005"), "12/25/2005");
    EXPECT_EQ(Normalize("12345"), "");
    EXPECT_EQ(Normalize("1225200"), "");
    // Without "/" only the first eight characters count.
    EXPECT_EQ(Normalize("1225200599"), "12/25/2005");
}

TEST(DateEntryRules, SlashesAndHyphens) {
    EXPECT_EQ(Normalize("1/5/2005"), "01/05/2005");
    EXPECT_EQ(Normalize("1/15/2005"), "01/15/2005");
    EXPECT_EQ(Normalize("12/5/2005"), "12/05/2005");
    EXPECT_EQ(Normalize("1/5/05"), "01/05/2005");
    EXPECT_EQ(Normalize("12/25/05"), "12/25/2005");
    EXPECT_EQ(Normalize("12-25-2005"), "12/25/2005");
    EXPECT_EQ(Normalize("1-5-2005"), "");  // hyphens not after a two-digit month are dropped: 152005
    EXPECT_EQ(Normalize("12/25/2005"), "12/25/2005");
}

TEST(DateEntryRules, TextThatIsNoDateClearsTheField) {
    EXPECT_EQ(Normalize("13/45/2005"), "");
    EXPECT_EQ(Normalize("02/30/2024"), "");
    EXPECT_EQ(Normalize("023024"), "");
    EXPECT_EQ(Normalize("ab/cd/efgh"), "");
    EXPECT_EQ(Normalize("02/29/2024"), "02/29/2024");
}

TEST(DateEntryRules, DayCommand) {
    EXPECT_EQ(Normalize("D"), "03/15/2024");
    EXPECT_EQ(Normalize("d"), "03/15/2024");
    EXPECT_EQ(Normalize("D-1"), "03/14/2024");
    EXPECT_EQ(Normalize("D+20"), "04/04/2024");
    EXPECT_EQ(Normalize("D17"), "04/01/2024");
    EXPECT_EQ(Normalize("D-366"), "03/15/2023");  // across 29 February
    EXPECT_EQ(Normalize("Dx"), "03/15/2024");
    EXPECT_EQ(Normalize("D999999999"), "");
}

TEST(DateEntryRules, FirstOfMonthCommand) {
    EXPECT_EQ(Normalize("F"), "03/01/2024");
    EXPECT_EQ(Normalize("f2"), "02/01/2024");
    EXPECT_EQ(Normalize("F3"), "03/01/2024");
    EXPECT_EQ(Normalize("F12"), "12/01/2024");
    EXPECT_EQ(Normalize("F+1"), "04/01/2024");
    EXPECT_EQ(Normalize("F+10"), "01/01/2025");
    // The sign survives: three months back, not March.
    EXPECT_EQ(Normalize("F-3"), "12/01/2023");
    EXPECT_EQ(Normalize("F123"), "");
    EXPECT_EQ(Normalize("F0"), "");
    EXPECT_EQ(Normalize("F13"), "");
}

TEST(DateEntryRules, EndOfMonthCommand) {
    EXPECT_EQ(Normalize("E"), "03/31/2024");
    EXPECT_EQ(Normalize("E2"), "02/29/2024");
    EXPECT_EQ(Normalize("e-1"), "02/29/2024");
    EXPECT_EQ(Normalize("E-13"), "02/28/2023");
    EXPECT_EQ(Normalize("E+9"), "12/31/2024");
    EXPECT_EQ(Normalize("E4"), "04/30/2024");
    EXPECT_EQ(Normalize("E100"), "");
}

}  // namespace
}  // namespace dalvero
