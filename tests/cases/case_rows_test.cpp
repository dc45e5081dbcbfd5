// What a case list row shows and the key it sorts by in each column.
#include <gtest/gtest.h>

#include "case_object.h"
#include "case_row_delegate.h"
#include "case_row_text.h"
#include "date_text.h"

namespace dalvero {
namespace {

// Noon on 15 June 2024.
const double kNow = DaySerial({2024, 6, 15}) + 0.5;

cCaseObject Case() {
    cCaseObject c;
    c.FirstName = "Ann";
    c.LastName = "Baker";
    c.CaseNumber = "C-17";
    c.Room = "12";
    c.Bed = "B";
    c.AdmitDate = "20240601";
    c.DischargeDate = "20240614093000";
    c.Sex = "F";
    c.BirthDate = "19500615";
    c.CaseWorkerName = "Carl Dunn";
    return c;
}

TEST(CaseRowCells, ShowEveryColumnInOrder) {
    const std::vector<std::string> cells = CaseCellTexts(Case(), kNow);
    const std::vector<std::string> expected{"Baker, Ann", "C-17", "12",  "B", "06/01/2024", "06/14/2024",
                                            "F",          "74.0", "",    "Carl Dunn"};
    EXPECT_EQ(cells, expected);
}

TEST(CaseRowCells, BadDatesAndAgesShowNothing) {
    cCaseObject c = Case();
    c.AdmitDate = "6/1/2024";   // already as shown
    c.DischargeDate = "202406";  // too short to be a date
    const std::vector<std::string> cells = CaseCellTexts(c, kNow);
    EXPECT_EQ(cells[kAdmitColumn], "6/1/2024");
    EXPECT_EQ(cells[kDischargeColumn], "");
    // Ages only between zero and 130; born today is age 0 all day long.
    for (const auto& [birth, age] : std::vector<std::pair<const char*, const char*>>{
             {"20240615", ""}, {"20240614", "0.0"}, {"18900101", ""}, {"not a date", ""}, {"20230615", "1.0"}}) {
        c.BirthDate = birth;
        EXPECT_EQ(CaseCellTexts(c, DaySerial({2024, 6, 15}) + 0.75)[kAgeColumn], age) << birth;
    }
}

TEST(CaseSortKeys, DatesAndAgesSortAsText) {
    cCaseObject c = Case();
    EXPECT_EQ(CaseSortKey(c, kAdmitColumn, kNow), "20240601");
    EXPECT_EQ(CaseSortKey(c, kDischargeColumn, kNow), "20240614");
    EXPECT_EQ(CaseSortKey(c, kAgeColumn, kNow), "000000074.00");
    EXPECT_EQ(CaseSortKey(c, kNameColumn, kNow), "Baker, Ann");
    c.BirthDate = "17000101";  // beyond 130 years counts as 0
    EXPECT_EQ(CaseSortKey(c, kAgeColumn, kNow), "000000000.00");
    c.AdmitDate = "garbage";
    EXPECT_EQ(CaseSortKey(c, kAdmitColumn, kNow), "");
}

TEST(CaseRowColours, StatusApprovalAndRowBands) {
    EXPECT_EQ(StatusColour("1B"), QColor(255, 0, 0));
    EXPECT_EQ(StatusColour("2"), QColor(255, 255, 0));
    EXPECT_EQ(StatusColour("3"), QColor(0, 128, 0));
    EXPECT_FALSE(StatusColour("4"));
    EXPECT_FALSE(StatusColour(""));
    EXPECT_EQ(ApprovalColour(false, false), QColor(192, 192, 192));
    EXPECT_EQ(ApprovalColour(true, false), QColor(255, 255, 0));
    EXPECT_EQ(ApprovalColour(false, true), QColor(0, 128, 0));
    EXPECT_EQ(RowColour(1), QColor(225, 225, 255));
    EXPECT_EQ(RowColour(2), QColor(255, 255, 255));
}

TEST(ListBoxItem, EmptyValuesKeepTheirLine) {
    ListBoxItemClass item;
    item.SetValue("f11", "Ann");
    item.SetValue("f12", "");
    item.SetValue("f13", "~~~");
    item.SetValue("f11", "Bea");
    EXPECT_EQ(item.Values.items(), (std::vector<std::string>{"f11=Bea", "f12=", "f13=~~~"}));
    EXPECT_EQ(item.GetValue("F11"), "Bea");
    EXPECT_EQ(item.GetValue("f13"), "");
}

}  // namespace
}  // namespace dalvero
