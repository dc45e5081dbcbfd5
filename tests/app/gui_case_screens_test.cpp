// The case lists and strips on the demo server: loading and sorting the open
// list, opening a case and going back, paging the previous list and the
// hover underline.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "case_edit_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "gui_planner_fixture.h"
#include "item_list_model.h"
#include "record_ops.h"

namespace dalvero {
namespace {

class CaseScreens : public test::PlannerOnDemoServer {
protected:
    std::vector<std::string> Seqs(const cCaseListModel& rows) const {
        std::vector<std::string> seqs;
        for (int i = 0; i < rows.rowCount(); ++i) seqs.push_back(rows.Object(i)->Seq);
        return seqs;
    }
    void MoveMouse(QWidget* over, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, y), over->mapToGlobal(QPointF(5, y)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(over, &move);
    }
};

TEST_F(CaseScreens, HeaderClicksSortAndAllCasesShowTheHospital) {
    TCaseListForm& list = *S().CaseList;
    const std::vector<std::string> byName = Seqs(OpenRows());
    list.OpenCasesHeaderSectionClick(0);  // already sorted by name: reversed
    EXPECT_EQ(Seqs(OpenRows()), std::vector<std::string>(byName.rbegin(), byName.rend()));
    list.OpenCasesHeaderSectionClick(1);
    EXPECT_EQ(main->OpenListSortColumn, 1);

    list.ShowAllCasesImageButtonClick();
    EXPECT_TRUE(main->ShowAllOpenCases);
    EXPECT_EQ(main->OpenListSortColumn, 0);
    std::set<std::string> workers;
    for (int i = 0; i < OpenRows().rowCount(); ++i) workers.insert(OpenRows().Object(i)->CaseWorkerSeq);
    EXPECT_GT(OpenRows().rowCount(), static_cast<int>(byName.size()));
    EXPECT_GT(workers.size(), 1u);
    list.ShowMyCasesButtonImageClick();
    EXPECT_EQ(Seqs(OpenRows()), byName);
}

TEST_F(CaseScreens, OpeningACaseAndGoingBackKeepsTheTyping) {
    const cCaseObject opened = *OpenRows().Object(0);
    S().CaseList->OpenCasesListBoxClick(OpenRows().index(0));

    EXPECT_EQ(main->EditMode, 1);
    EXPECT_EQ(main->CurrentCaseSeq, opened.Seq);
    EXPECT_EQ(main->CurrentPatientSeq, opened.PatientSeq);
    EXPECT_EQ(main->CurrentCaseObject, OpenRows().Object(0));
    EXPECT_TRUE(main->HostedPanel("CaseEdit")->isVisibleTo(main.get()));
    EXPECT_TRUE(Shown("MainInfoPanel"));
    EXPECT_EQ(Label("CaseInfoLabel"), opened.CaseNumber.empty() ? opened.Seq : opened.CaseNumber);
    EXPECT_EQ(Label("PatientInfoLabel"), opened.FirstName + " " + opened.LastName);
    // The patient's record, item n being field n.
    ASSERT_GT(main->PatientRecord.size(), 12u);
    EXPECT_EQ(main->PatientRecord[10], opened.FirstName);
    const cItemListModel& physicians = S().CaseEdit->SubList(CaseSubList::kPhysicians);
    ASSERT_GT(physicians.rowCount(), 0);
    EXPECT_EQ(physicians.Item(0).GetValue("f12"), "P");
    EXPECT_GT(S().CaseEdit->SubList(CaseSubList::kDiagnosisCodes).rowCount(), 0);
    EXPECT_GT(main->CaseHistoryList().rowCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Typing into the notes, then straight back to the list: the typing is kept.
    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " Daughter visits daily.");
    const std::string typed = memo->toPlainText().toStdString();
    S().CaseNavigation->CaseListImageButtonClick();

    EXPECT_EQ(main->EditMode, 0);
    EXPECT_FALSE(Shown("MainInfoPanel"));
    EXPECT_TRUE(main->HostedPanel("OpenCaseList")->isVisibleTo(main.get()));
    EXPECT_EQ(main->CurrentCaseObject, nullptr);
    std::string stored;
    // Notes are read as joined fields: only with an alias list.
    ASSERT_TRUE(GetRecordFields(*session.DataServer, "Cases", opened.Seq, "f1001", stored, "P=Patients:f10"));
    EXPECT_EQ(StringList(ParseCommaText(stored)).Value("f1001"), typed);
}

TEST_F(CaseScreens, PreviousListPagesThroughTheHospitalsClosedCases) {
    S().ListNavigation->PreviousCasesTabImageClick();
    TCaseListPrevForm& previous = *S().CaseListPrev;
    EXPECT_TRUE(main->HostedPanel("ClosedCaseList")->isVisibleTo(main.get()));
    const int page = previous.PageSize();
    EXPECT_EQ(page, 20);
    EXPECT_LE(previous.Rows().rowCount(), page);
    if (previous.Rows().rowCount() < page) {
        EXPECT_FALSE(previous.PagingButtonsVisible());
    }

    previous.ShowAllCasesImageButtonClick();
    ASSERT_EQ(previous.Rows().rowCount(), page);
    EXPECT_TRUE(previous.PagingButtonsVisible());
    const std::vector<std::string> first = Seqs(previous.Rows());
    previous.PageDownImageClick();
    const std::vector<std::string> second = Seqs(previous.Rows());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).count(second.front()), 0u);
    previous.PageUpImageClick();
    EXPECT_EQ(Seqs(previous.Rows()), first);
}

TEST_F(CaseScreens, HoverUnderlineEndsWhenTheMouseMovesElsewhere) {
    TCaseListForm& list = *S().CaseList;
    MoveMouse(list.ListWindow(), 30);
    EXPECT_EQ(list.HoverRow(), 1);
    MoveMouse(list.ListWindow(), 70);
    EXPECT_EQ(list.HoverRow(), 3);
    MoveMouse(main->findChild<QWidget*>("OpenCasesHeader"), 5);
    EXPECT_EQ(list.HoverRow(), -1);
}

}  // namespace
}  // namespace dalvero
