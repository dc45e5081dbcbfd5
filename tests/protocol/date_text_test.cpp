#include "date_text.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

const CivilDate kToday{2024, 3, 15};

// Each text and what NormalizeDate makes of it.
void ExpectNormalized(const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [text, stored] : cases) EXPECT_EQ(NormalizeDate(text, kToday), stored) << text;
}

TEST(NormalizeDate, TypedForms) {
    ExpectNormalized({{"5/6/2004", "20040506"}, {"05.06.2004", "20040506"}, {"050604", "20040506"},
                      {"123199", "19991231"}, {"123170", "20701231"}, {"0506", "20240506"},
                      {"2004-05-06", "20040506"}, {"20040506143000", "20040506"}, {"5/6/04", "20040506"},
                      {"5/6/71", "19710506"}, {"5/6", "20240506"}, {"2/29/2000", "20000229"}});
}

TEST(StoredDateTime, TimesAreReadOnlyFromWholeValidStamps) {
    EXPECT_EQ(StampTimeOfDay("202406110930"), "09:30");
    EXPECT_EQ(StampTimeOfDay("20240611235959"), "23:59");
    // A nine- or eleven-character stamp once threw on every paint.
    for (const char* broken : {"20240611", "202406110", "20240611093", "202406112460", "2024061109x0", ""})
        EXPECT_EQ(StampTimeOfDay(broken), "") << broken;

    for (const char* stored : {"", "20240611", "202406110930", "20240611093059"})
        EXPECT_TRUE(IsStoredDateTime(stored)) << stored;
    for (const char* malformed : {"202406110", "2024061109301", "20241311", "202406112400", "20240611093060",
                                  "06/11/2024", "2024061109:30"})
        EXPECT_FALSE(IsStoredDateTime(malformed)) << malformed;
}

TEST(NormalizeDate, EmptyAndUnusable) {
    // Day 0 and before (30 December 1899) is no date.
    ExpectNormalized({{"", ""}, {"12345", ""}, {"1234567", ""}, {"12/30/1899", ""}, {"12/31/1899", "18991231"}});
}

TEST(NormalizeDate, TextThatIsNoDateRaises) {
    // Digit forms are checked too, so no impossible date is ever stored.
    for (const char* text : {"13/1/2004", "2/29/1900", "abc", "5//2004", "1/2/3/4", "0230", "20041340"})
        EXPECT_THROW(NormalizeDate(text, kToday), DateConversionError) << text;
}

TEST(DateToDisplay, StoredForms) {
    for (const auto& [stored, shown] : std::vector<std::pair<const char*, const char*>>{
             {"20040506", "05/06/2004"}, {"200405061430", "05/06/2004"}, {"5/6/2004", "5/6/2004"},
             {"00000000", ""}, {"2004050", ""}, {"20040231", ""}, {"2004O506", ""}, {"19000107", ""},
             {"19000108", "01/08/1900"}})
        EXPECT_EQ(DateToDisplay(stored), shown) << stored;
}

// Leap years and the text forms are covered above; the day count must keep
// the stored serials' origin.
TEST(DateText, DaySerialsCountFromTheEndOf1899) {
    EXPECT_EQ(DaySerial({1900, 1, 1}), 2);
    EXPECT_EQ(DaySerial({2000, 1, 1}), 36526);
    EXPECT_EQ(FromDaySerial(36526 + 59), (CivilDate{2000, 2, 29}));
    EXPECT_EQ(FromDaySerial(DaySerial(kToday) + 20), (CivilDate{2024, 4, 4}));
    EXPECT_EQ(ToYmd({987, 1, 2}), "09870102");
    EXPECT_EQ(ParseDisplay("03/15/2024", kToday), kToday);
    EXPECT_FALSE(ParseDisplay("03152024", kToday).has_value());
}

}  // namespace
}  // namespace dalvero
