#include "date_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

// Each typed text and what the field then shows, on a Friday in a leap year.
void ExpectDates(const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [typed, shown] : cases) EXPECT_EQ(NormalizeDateEntry(typed, {2024, 3, 15}), shown) << typed;
}

TEST(DateEntryRules, DigitsSlashesAndHyphens) {
    ExpectDates({{"", ""}, {"122505", "12/25/2005"}, {"122571", "12/25/1971"}, {"122570", "12/25/2070"},
                 {"12252005", "12/25/2005"}, {"12345", ""}, {"1225200", ""},
                 // Without "/" only the first eight characters count.
                 {"1225200599", "12/25/2005"},
                 {"1/5/2005", "01/05/2005"}, {"1/15/2005", "01/15/2005"}, {"12/5/2005", "12/05/2005"},
                 {"1/5/05", "01/05/2005"}, {"12-25-2005", "12/25/2005"},
                 // Hyphens not after a two-digit month are dropped: 152005.
                 {"1-5-2005", ""}});
}

TEST(DateEntryRules, TextThatIsNoDateClearsTheField) {
    ExpectDates({{"13/45/2005", ""}, {"02/30/2024", ""}, {"023024", ""}, {"ab/cd/efgh", ""},
                 {"02/29/2024", "02/29/2024"}});
}

TEST(DateEntryRules, DayFirstAndEndOfMonthCommands) {
    ExpectDates({{"D", "03/15/2024"}, {"d", "03/15/2024"}, {"D-1", "03/14/2024"}, {"D+20", "04/04/2024"},
                 {"D17", "04/01/2024"}, {"D-366", "03/15/2023"}, {"Dx", "03/15/2024"}, {"D999999999", ""},
                 {"F", "03/01/2024"}, {"f2", "02/01/2024"}, {"F12", "12/01/2024"}, {"F+10", "01/01/2025"},
                 // The sign survives: three months back, not March.
                 {"F-3", "12/01/2023"}, {"F123", ""}, {"F0", ""}, {"F13", ""},
                 {"E", "03/31/2024"}, {"E2", "02/29/2024"}, {"e-1", "02/29/2024"}, {"E-13", "02/28/2023"},
                 {"E+9", "12/31/2024"}, {"E100", ""}});
}

}  // namespace
}  // namespace dalvero
