// Sorting the open case list by clicks on its header.
#include <gtest/gtest.h>

#include <array>

#include "case_list_model.h"
#include "case_list_sort.h"
#include "case_row_text.h"
#include "date_text.h"

namespace dalvero {
namespace {

using Names = std::vector<std::string>;
const Names kByName{"Adams", "Brown", "carter"};
const Names kReversed{"carter", "Brown", "Adams"};

class OpenListSorting : public ::testing::Test {
protected:
    // Loaded as the main window loads it: rows in server order, then sorted by
    // their text. Room and admission orders differ from the name order and
    // from each other's numeric and shown-date orders.
    void SetUp() override {
        list.SetSorted(false);
        for (const auto& [last, room, admit] : std::vector<std::array<const char*, 3>>{
                 {"carter", "10", "20231115"}, {"Adams", "9", "20240301"}, {"Brown", "2", "20240102"}}) {
            cCaseObject c;
            c.LastName = last;
            c.FirstName = "X";
            c.Room = room;
            c.AdmitDate = admit;
            std::string text = RowName(c);
            list.Add(std::move(text), std::move(c));
        }
        sortColumn = 0;
        list.SetSorted(true);
    }
    Names Click(int column) {
        SortByColumnClick(list, sortColumn, column, DaySerial({2024, 6, 15}));
        Names names;
        for (int i = 0; i < list.rowCount(); ++i) names.push_back(list.At(i)->LastName);
        return names;
    }

    cCaseListModel list;
    int sortColumn = -1;
};

TEST_F(OpenListSorting, NameColumnReversesRightAfterLoad) {
    EXPECT_EQ(list.At(0)->LastName, "Adams");  // loaded ignoring case
    EXPECT_EQ(Click(kNameColumn), kReversed);
    EXPECT_FALSE(list.Sorted());
    EXPECT_EQ(Click(kNameColumn), kByName);
}

TEST_F(OpenListSorting, OtherColumnsAscendThenToggle) {
    EXPECT_EQ(Click(kAdmitColumn), kReversed);
    EXPECT_EQ(sortColumn, kAdmitColumn);
    EXPECT_EQ(list.Text(0), "20231115");
    EXPECT_EQ(Click(kAdmitColumn), kByName);
    EXPECT_EQ(Click(kAdmitColumn), kReversed);
    EXPECT_EQ(Click(kRoomColumn), kReversed);  // as text: "10" < "2" < "9"
    EXPECT_EQ(Click(kNameColumn), kByName);
    EXPECT_EQ(list.Text(2), "carter, X");
}

}  // namespace
}  // namespace dalvero
