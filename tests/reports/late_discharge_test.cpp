// The late discharge report's entries and lines on cases built here.

#include <gtest/gtest.h>

#include "late_discharge.h"

namespace dalvero::test {
namespace {

LateDischargeCase Case(std::string number, std::string discharge, std::string lateAfter, std::string doctor) {
    return {std::move(number), "20240301", std::move(discharge), std::move(lateAfter), "Ann", "Lee", "Kim", "Roe",
            "Dr.", "Al", std::move(doctor)};
}

std::vector<ReportLateDischargeDataClass> Entries(const std::vector<LateDischargeCase>& cases) {
    std::vector<ReportLateDischargeDataClass> entries;
    for (const LateDischargeCase& c : cases)
        if (IsLateDischarge(c)) entries.push_back(LateDischargeEntry(c));
    return entries;
}

TEST(LateDischarge, OnlyCasesDischargedAfterTheirTimeOrWithoutOneAreListed) {
    const auto entries = Entries({Case("on-time", "20240309143000", "20240309143000", "Zed"),
                                  Case("late", "20240309143100", "20240309143000", "Zed"),
                                  Case("no-f46", "20240308100000", "", "Zed")});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(LateDischargeLines(entries, false),
              (std::vector<std::string>{
                  "no-f46\t03/01/2024 00:00\t03/08/2024 10:00\t\tDr. Al Zed\tKim Roe\tAnn Lee",
                  "late\t03/01/2024 00:00\t03/09/2024 14:31\t03/09/2024 14:30\tDr. Al Zed\tKim Roe\tAnn Lee"}));
}

TEST(LateDischarge, GroupedByPhysicianEachGroupInDateOrderAndFollowedByAnEmptyLine) {
    const auto lines = LateDischargeLines(Entries({Case("3", "20240303", "", "Young"), Case("1", "20240301", "", "Adams"),
                                                   Case("2", "20240302", "", "Young")}),
                                          true);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 2), "1\t");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2].substr(0, 2), "2\t");
    EXPECT_EQ(lines[3].substr(0, 2), "3\t");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(LateDischargeLines({}, true), std::vector<std::string>{"No Data."});
}

}  // namespace
}  // namespace dalvero::test
