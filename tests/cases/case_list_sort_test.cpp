// Sorting the open case list by clicks on its header.
#include <gtest/gtest.h>

#include "case_list_model.h"
#include "case_list_sort.h"
#include "case_row_text.h"
#include "date_text.h"

namespace dalvero {
namespace {

const double kNow = DaySerial({2024, 6, 15});

struct Row {
    const char* last;
    const char* room;
    const char* admit;
};

// Loaded as the main window loads it: rows in server order, then sorted by
// their text (last name, first name).
void Load(cCaseListModel& list, int& sortColumn, const std::vector<Row>& rows) {
    list.Clear();
    list.SetSorted(false);
    for (const Row& r : rows) {
        cCaseObject c;
        c.LastName = r.last;
        c.FirstName = "X";
        c.Room = r.room;
        c.AdmitDate = r.admit;
        std::string text = RowName(c);
        list.Add(std::move(text), std::move(c));
    }
    sortColumn = 0;
    list.SetSorted(true);
}

std::vector<std::string> Lasts(const cCaseListModel& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.rowCount(); ++i) names.push_back(list.Object(i)->LastName);
    return names;
}

class OpenListSorting : public ::testing::Test {
protected:
    void SetUp() override {
        // Room and admission orders differ from the name order and from
        // each other's numeric and shown-date orders.
        Load(list, sortColumn, {{"carter", "10", "20231115"}, {"Adams", "9", "20240301"}, {"Brown", "2", "20240102"}});
    }
    void Click(int column) { SortByColumnClick(list, sortColumn, column, kNow); }

    cCaseListModel list;
    int sortColumn = -1;
};

TEST_F(OpenListSorting, LoadOrdersByNameIgnoringCase) {
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"Adams", "Brown", "carter"}));
    EXPECT_TRUE(list.Sorted());
}

TEST_F(OpenListSorting, NameClickedRightAfterLoadReverses) {
    Click(kNameColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"carter", "Brown", "Adams"}));
    EXPECT_FALSE(list.Sorted());
    Click(kNameColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"Adams", "Brown", "carter"}));
}

TEST_F(OpenListSorting, OtherColumnAscendsThenDescendsThenAscends) {
    Click(kAdmitColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"carter", "Brown", "Adams"}));
    EXPECT_EQ(sortColumn, kAdmitColumn);
    EXPECT_EQ(list.Text(0), "20231115");
    Click(kAdmitColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"Adams", "Brown", "carter"}));
    Click(kAdmitColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"carter", "Brown", "Adams"}));
}

TEST_F(OpenListSorting, RoomsSortAsText) {
    Click(kRoomColumn);
    // "10" < "2" < "9"
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"carter", "Brown", "Adams"}));
    Click(kNameColumn);
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"Adams", "Brown", "carter"}));
    EXPECT_EQ(list.Text(2), "carter, X");
}

TEST_F(OpenListSorting, RowsAddedWhileSortedGoInOrder) {
    cCaseObject c;
    c.LastName = "Bell";
    list.Add("Bell, X", std::move(c));
    EXPECT_EQ(Lasts(list), (std::vector<std::string>{"Adams", "Bell", "Brown", "carter"}));
}

}  // namespace
}  // namespace dalvero
