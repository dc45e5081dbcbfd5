// The health check-list's stored text and its summary.
#include <gtest/gtest.h>

#include <set>

#include "health_checklist.h"

namespace dalvero {
namespace {

TEST(HealthChecklistTable, NamesAreUniqueAndEveryGroupHasOneNA) {
    std::set<std::string> names;
    int entries = 0;
    for (const HealthGroup& g : HealthChecklist()) {
        names.insert(g.name);
        int na = 0;
        for (const HealthEntry& e : g.entries) {
            names.insert(e.name);
            ++entries;
            na += std::string(e.caption) == "N/A";
        }
        EXPECT_EQ(na, 1) << g.name;
    }
    EXPECT_EQ(HealthChecklist().size(), 19u);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(entries) + 19);
}

TEST(HealthDetailText, OneChoiceStoresItsGroupOnlyAndNothingStoresEmpty) {
    HealthDetail d;
    d.values["MobilityNARadioButton"] = "Y";
    EXPECT_EQ(HealthDetailText(d),
              R"({MobilityGroupBox:{Caption:" Mobility ",Details:{MobilityNARadioButton:{Caption:"N/A",Data:"Y"}}}})");
    EXPECT_EQ(HealthDetailText(HealthDetail{}), "~~~");
    // An all-empty prescriptions grid is absent, not a member of nulls.
    HealthDetail blankGrid;
    blankGrid.grid[3][2] = "";
    EXPECT_EQ(HealthDetailText(blankGrid), "~~~");
    EXPECT_TRUE(ParseHealthDetail("~~~").values.empty());
    EXPECT_TRUE(ParseHealthDetail("{not json").values.empty());
}

TEST(HealthDetailText, HostileUserTextRoundTripsByteForByte) {
    const std::string hostile[] = {"true", "{x}", "null", "\"quoted\"", "back\\slash\\", "a,b:c", "'single'",
                                   "line1\r\nline2", "Zoë – 東京", "  padded  ", "[1]", "12", "~~~", "a||b"};
    HealthDetail d;
    for (std::size_t i = 0; i < std::size(hostile); ++i) d.grid[1 + i][1 + i % 7] = hostile[i];
    d.values["AllergiesMemo"] = hostile[7];
    d.values["BladderOther"] = hostile[0];
    d.values["DentalOther"] = hostile[3];
    const HealthDetail back = ParseHealthDetail(HealthDetailText(d));
    EXPECT_EQ(back.values, d.values);
    EXPECT_EQ(back.grid, d.grid);
}

TEST(HealthSummary, GroupsInStoredOrderWithPrescriptionLines) {
    HealthDetail d;
    d.values["Mobility3"] = "Y";
    d.values["VisionOther"] = "contacts";
    d.values["Vision1"] = "Y";
    d.values["WoundsMemo"] = "left heel";
    d.grid[2][1] = "Aspirin";
    d.grid[2][6] = "05/01/2024";
    const std::vector<std::string> expected{
        "Mobility  --  Bedridden", "Vision  --  Glasses   Other : contacts", "",
        "Prescriptions:",          "   Aspirin, Take Until: 05/01/2024",   "",
        "Wounds  --  left heel"};
    EXPECT_EQ(HealthSummaryLines(HealthDetailText(d)), expected);
    EXPECT_TRUE(HealthSummaryLines("~~~").empty());
}

}  // namespace
}  // namespace dalvero
