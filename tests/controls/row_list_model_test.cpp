// The one row model of the client's lists and the header that follows its sort.
#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <string>

#include "list_header.h"
#include "row_list_model.h"

namespace dalvero {
namespace {

bool ByteLess(const std::string& a, const std::string& b) { return a < b; }

std::string Texts(const cRowList& rows) {
    std::string all;
    for (int i = 0; i < rows.rowCount(); ++i) all += rows.Text(i) + " ";
    return all;
}

TEST(RowListModel, SortsWithTheListsComparisonAndKeepsItemsInPlace) {
    cRowListModel<int> caseless;
    cRowListModel<int> bytes(nullptr, &ByteLess);
    QAbstractItemModelTester tester(&caseless, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (auto* rows : {&caseless, &bytes}) {
        rows->SetSorted(true);
        int n = 0;
        for (const char* text : {"beta", "Alpha", "alpha", "Gamma"}) rows->Add(text, n++);
    }
    EXPECT_EQ(Texts(caseless), "Alpha alpha beta Gamma ");  // equal keys stay in the order added
    EXPECT_EQ(Texts(bytes), "Alpha Gamma alpha beta ");

    const int* first = caseless.At(2);
    for (int i = 0; i < 200; ++i) caseless.Add("z" + std::to_string(i), 10 + i);
    caseless.Reverse();
    EXPECT_EQ(first, &caseless.Items()[0]);
    EXPECT_EQ(*caseless.At(caseless.rowCount() - 3), 0);
    EXPECT_EQ(caseless.RowWhere([](int item) { return item == 1; }), caseless.rowCount() - 1);
    EXPECT_EQ(caseless.At(caseless.rowCount()), nullptr);
}

TEST(RowListModel, RowsArrangedByHandKeepTextAndItemTogether) {
    cRowListModel<int> rows;
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int i : {1, 2, 3}) rows.Add("r" + std::to_string(i), i);
    rows.Insert(0, "top", 0);
    EXPECT_EQ(Texts(rows), "top r1 r2 r3 ");
    EXPECT_EQ(rows.MoveRow(1, 3), 3);
    EXPECT_EQ(rows.MoveRow(3, 0), 0);
    EXPECT_EQ(Texts(rows), "r1 top r2 r3 ");
    rows.Remove(1);  // an item added after the removed one keeps its text
    EXPECT_EQ(Texts(rows), "r1 r2 r3 ");
    EXPECT_EQ(*rows.At(2), 3);
    rows.SetText(2, "last");
    EXPECT_EQ(*rows.At(rows.RowWhere([](int item) { return item == 3; })), 3);
    EXPECT_EQ(rows.Text(2), "last");

    cRowListModel<int> other;
    other.Add("old", 9);
    rows.MoveRowsTo(other);
    EXPECT_EQ(rows.rowCount(), 0);
    EXPECT_EQ(Texts(other), "r1 r2 last ");
    EXPECT_EQ(*other.At(2), 3);
}

TEST(RowListModel, HeaderArrowFollowsTheSortColumnAndDirection) {
    cRowListModel<int> rows;
    cListHeader header;
    header.SetSections({{"Name", 100}, {"Number", 60}});
    int sortColumn = -1;
    header.FollowSort(rows, sortColumn);
    for (int i : {3, 1, 2}) rows.Add("row" + std::to_string(i), i);
    EXPECT_FALSE(header.isSortIndicatorShown());

    const auto key = [](int item, int) { return std::to_string(item); };
    rows.SortByColumn(1, sortColumn, key);
    EXPECT_TRUE(header.isSortIndicatorShown());
    EXPECT_EQ(header.sortIndicatorSection(), 1);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
    rows.SortByColumn(1, sortColumn, key);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(*rows.At(0), 3);
    rows.Clear();
    EXPECT_FALSE(header.isSortIndicatorShown());
}

}  // namespace
}  // namespace dalvero
