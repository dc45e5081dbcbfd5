#include "time_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

const ClockTime kNow{14, 7};

std::string Clock24(std::string_view text) { return NormalizeTimeEntry(text, kNow, false); }
std::string Clock12(std::string_view text) { return NormalizeTimeEntry(text, kNow, true); }

TEST(TimeEntryRules, LooseInputOnThe24HourClock) {
    EXPECT_EQ(Clock24("230"), "23:00");
    EXPECT_EQ(Clock24("2300"), "23:00");
    EXPECT_EQ(Clock24("9:30"), "09:30");
    EXPECT_EQ(Clock24("9.5"), "09:05");
    EXPECT_EQ(Clock24("2p"), "14:00");
    EXPECT_EQ(Clock24("2:15 PM"), "14:15");
    EXPECT_EQ(Clock24("12p"), "12:00");
    EXPECT_EQ(Clock24("12:30 am"), "00:30");
    EXPECT_EQ(Clock24("1:2:3"), "01:02:03");
}

TEST(TimeEntryRules, OutOfRangeParts) {
    EXPECT_EQ(Clock24("25"), "");
    EXPECT_EQ(Clock24("930"), "");  // hour 93
    EXPECT_EQ(Clock24(""), "");
    EXPECT_EQ(Clock24("pm"), "");
    EXPECT_EQ(Clock24("10:75"), "10:00");
    EXPECT_EQ(Clock24("10:30:99"), "10:30:00");
}

TEST(TimeEntryRules, TwelveHourClock) {
    EXPECT_EQ(Clock12("14:05"), "02:05 pm");
    EXPECT_EQ(Clock12("0:10"), "12:10 am");
    EXPECT_EQ(Clock12("12:00"), "12:00 pm");
    EXPECT_EQ(Clock12("9a"), "09:00 am");
    EXPECT_EQ(Clock12("23:59:59"), "11:59:59 pm");
}

TEST(TimeEntryRules, NowCommand) {
    EXPECT_EQ(Clock24("t"), "14:07");
    EXPECT_EQ(Clock24("Now"), "14:07");
    EXPECT_EQ(Clock12("n"), "02:07 pm");
}

}  // namespace
}  // namespace dalvero
