#include "time_entry_rules.h"

#include <gtest/gtest.h>

namespace dalvero {
namespace {

// Each typed text and what the field then shows at 14:07.
void ExpectTimes(bool twelveHour, const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [typed, shown] : cases) EXPECT_EQ(NormalizeTimeEntry(typed, {14, 7}, twelveHour), shown) << typed;
}

TEST(TimeEntryRules, TwentyFourHourClock) {
    ExpectTimes(false, {{"230", "23:00"}, {"2300", "23:00"}, {"9:30", "09:30"}, {"9.5", "09:05"}, {"2p", "14:00"},
                        {"2:15 PM", "14:15"}, {"12p", "12:00"}, {"12:30 am", "00:30"}, {"1:2:3", "01:02:03"},
                        {"t", "14:07"}, {"Now", "14:07"},
                        // Out of range: hour 93 clears, minutes or seconds fall to zero.
                        {"25", ""}, {"930", ""}, {"", ""}, {"pm", ""}, {"10:75", "10:00"}, {"10:30:99", "10:30:00"}});
}

TEST(TimeEntryRules, TwelveHourClock) {
    ExpectTimes(true, {{"14:05", "02:05 pm"}, {"0:10", "12:10 am"}, {"12:00", "12:00 pm"}, {"9a", "09:00 am"},
                       {"23:59:59", "11:59:59 pm"}, {"n", "02:07 pm"}});
}

}  // namespace
}  // namespace dalvero
