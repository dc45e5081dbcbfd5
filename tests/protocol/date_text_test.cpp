#include "date_text.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

const CivilDate kToday{2024, 3, 15};

TEST(NormalizeDate, TypedForms) {
    EXPECT_EQ(NormalizeDate("5/6/2004", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("05.06.2004", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("050604", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("123199", kToday), "19991231");
    EXPECT_EQ(NormalizeDate("123170", kToday), "20701231");
    EXPECT_EQ(NormalizeDate("0506", kToday), "20240506");
    EXPECT_EQ(NormalizeDate("2004-05-06", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("20040506143000", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("5/6/04", kToday), "20040506");
    EXPECT_EQ(NormalizeDate("5/6/71", kToday), "19710506");
    EXPECT_EQ(NormalizeDate("5/6", kToday), "20240506");
    EXPECT_EQ(NormalizeDate("2/29/2000", kToday), "20000229");
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
    EXPECT_EQ(NormalizeDate("", kToday), "");
    EXPECT_EQ(NormalizeDate("12345", kToday), "");
    EXPECT_EQ(NormalizeDate("1234567", kToday), "");
    // Day 0 and before (30 December 1899) is no date.
    EXPECT_EQ(NormalizeDate("12/30/1899", kToday), "");
    EXPECT_EQ(NormalizeDate("12/31/1899", kToday), "18991231");
}

TEST(NormalizeDate, TextThatIsNoDateRaises) {
    EXPECT_THROW(NormalizeDate("13/1/2004", kToday), DateConversionError);
    EXPECT_THROW(NormalizeDate("2/29/1900", kToday), DateConversionError);
    EXPECT_THROW(NormalizeDate("abc", kToday), DateConversionError);
    EXPECT_THROW(NormalizeDate("5//2004", kToday), DateConversionError);
    EXPECT_THROW(NormalizeDate("1/2/3/4", kToday), DateConversionError);
    // Digit forms are checked too, so no impossible date is ever stored.
    EXPECT_THROW(NormalizeDate("0230", kToday), DateConversionError);
    EXPECT_THROW(NormalizeDate("20041340", kToday), DateConversionError);
}

TEST(DateToDisplay, StoredForms) {
    EXPECT_EQ(DateToDisplay("20040506"), "05/06/2004");
    EXPECT_EQ(DateToDisplay("200405061430"), "05/06/2004");
    EXPECT_EQ(DateToDisplay("5/6/2004"), "5/6/2004");
    EXPECT_EQ(DateToDisplay("00000000"), "");
    EXPECT_EQ(DateToDisplay("2004050"), "");
    EXPECT_EQ(DateToDisplay("20040231"), "");
    EXPECT_EQ(DateToDisplay("2004O506"), "");
    EXPECT_EQ(DateToDisplay("19000107"), "");
    EXPECT_EQ(DateToDisplay("19000108"), "01/08/1900");
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
