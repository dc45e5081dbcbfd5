// The case lists and strips on the demo server: loading and sorting the open
// list, opening a case and going back by mouse and keyboard, Tab and Space on
// the strips, paging the previous list and the hover underline.
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "case_edit_form.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"
#include "gui_planner_fixture.h"
#include "gui_keyboard.h"
#include "image_button.h"
#include "image_button_art.h"
#include "item_list_model.h"

namespace dalvero {
namespace {

using test::Focused;
using test::FocusedName;
using test::TabTo;

class CaseScreens : public test::PlannerOnDemoServer {
protected:
    QListView* List() const { return S().CaseList->OpenCasesListBox(); }
    bool PanelShown(const char* panel) const { return main->HostedPanel(panel)->isVisibleTo(main.get()); }
    std::vector<std::string> Seqs(const cCaseListModel& rows) const {
        std::vector<std::string> seqs;
        for (int i = 0; i < rows.rowCount(); ++i) seqs.push_back(rows.At(i)->Seq);
        return seqs;
    }
    // The case's diagnosis notes as the server holds them.
    std::string StoredNotes(const std::string& caseSeq) const { return Note("Cases", caseSeq, "f1001"); }
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
    EXPECT_EQ(main->Lists.OpenListSortColumn, 1);

    list.ShowAllCasesImageButtonClick();
    EXPECT_TRUE(main->Lists.ShowAllOpenCases);
    EXPECT_EQ(main->Lists.OpenListSortColumn, 0);
    std::set<std::string> workers;
    for (int i = 0; i < OpenRows().rowCount(); ++i) workers.insert(OpenRows().At(i)->CaseWorkerSeq);
    EXPECT_GT(OpenRows().rowCount(), static_cast<int>(byName.size()));
    EXPECT_GT(workers.size(), 1u);
    list.ShowMyCasesButtonImageClick();
    EXPECT_EQ(Seqs(OpenRows()), byName);
}

TEST_F(CaseScreens, OpeningACaseAndGoingBackKeepsTheTyping) {
    const QString application = QGuiApplication::applicationDisplayName();
    const cCaseObject opened = *OpenRows().At(0);
    OpenCase(0);
    // The open patient names only the main window: dialogs and message boxes
    // would carry the display name after their own title.
    EXPECT_TRUE(main->windowTitle().startsWith(QString::fromStdString(opened.FirstName + " " + opened.LastName)));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), application);

    EXPECT_EQ(main->Case.EditMode, 1);
    EXPECT_EQ(main->Case.CurrentCaseSeq, opened.Seq);
    EXPECT_EQ(main->Case.CurrentPatientSeq, opened.PatientSeq);
    EXPECT_EQ(main->Case.CurrentCaseObject, OpenRows().At(0));
    EXPECT_TRUE(main->HostedPanel("CaseEdit")->isVisibleTo(main.get()));
    EXPECT_TRUE(Shown("MainInfoPanel"));
    EXPECT_EQ(Label("CaseInfoLabel"), opened.CaseNumber.empty() ? opened.Seq : opened.CaseNumber);
    EXPECT_EQ(Label("PatientInfoLabel"), opened.FirstName + " " + opened.LastName);
    // The patient's record, item n being field n.
    ASSERT_GT(main->Case.PatientRecord.size(), 12u);
    EXPECT_EQ(main->Case.PatientRecord[10], opened.FirstName);
    const cItemListModel& physicians = S().CaseEdit->SubList(CaseSubList::kPhysicians);
    ASSERT_GT(physicians.rowCount(), 0);
    EXPECT_EQ(physicians.At(0)->GetValue("f12"), "P");
    EXPECT_GT(S().CaseEdit->SubList(CaseSubList::kDiagnosisCodes).rowCount(), 0);
    EXPECT_GT(main->CaseHistoryList().rowCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Typing into the notes, then straight back to the list: the typing is kept.
    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " Daughter visits daily.");
    const std::string typed = memo->toPlainText().toStdString();
    S().CaseNavigation->CaseListImageButtonClick();

    EXPECT_EQ(main->Case.EditMode, 0);
    EXPECT_FALSE(Shown("MainInfoPanel"));
    EXPECT_TRUE(main->HostedPanel("OpenCaseList")->isVisibleTo(main.get()));
    EXPECT_EQ(main->Case.CurrentCaseObject, nullptr);
    EXPECT_EQ(StoredNotes(opened.Seq), typed);
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

TEST_F(CaseScreens, CaseOpensByKeyboardMemoLeavesOnTabEscapeGoesBack) {
    test::Activate(main.get());
    // The list screen starts with the focus in the list.
    ASSERT_EQ(Focused(), List());
    ASSERT_GT(OpenRows().rowCount(), 2);
    // The first Down in a list without a selection selects the first row.
    List()->clearSelection();
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(List()->selectionModel()->selectedRows().value(0).row(), 0);
    QTest::keyClick(List(), Qt::Key_Down);
    ASSERT_EQ(List()->currentIndex().row(), 1);
    const std::string chosen = OpenRows().At(1)->Seq;
    QTest::keyClick(List(), Qt::Key_Return);

    EXPECT_EQ(main->Case.EditMode, 1);
    EXPECT_EQ(main->Case.CurrentCaseSeq, chosen);
    ASSERT_TRUE(PanelShown("CaseEdit"));
    // The notes wait for the user; the case starts at its tab.
    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    EXPECT_EQ(FocusedName(), "CaseInfoImageButton");
    test::ExpectFramed(main.get(), Focused());

    ASSERT_TRUE(TabTo(memo));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " Walker");
    const std::string typed = memo->toPlainText().toStdString();
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->toPlainText().toStdString(), typed);
    EXPECT_NE(Focused(), memo);
    EXPECT_EQ(StoredNotes(chosen), typed);

    QTest::keyClick(Focused(), Qt::Key_Backtab);
    ASSERT_EQ(Focused(), memo);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " at home");
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_EQ(main->Case.EditMode, 0);
    EXPECT_TRUE(PanelShown("OpenCaseList"));
    EXPECT_EQ(StoredNotes(chosen), typed + " at home");
    EXPECT_EQ(Focused(), List());

    // A click on a row opens that case too.
    const QModelIndex third = OpenRows().index(2);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualRect(third).center());
    EXPECT_EQ(main->Case.EditMode, 1);
    EXPECT_EQ(main->Case.CurrentCaseSeq, OpenRows().At(2)->Seq);
    EXPECT_TRUE(PanelShown("CaseEdit"));
}

TEST_F(CaseScreens, TabReachesEveryTabAndImageButtonAndSpacePressesIt) {
    test::Activate(main.get());
    std::set<std::string> reached;
    QWidget* start = Focused();
    ASSERT_NE(start, nullptr);
    do {
        reached.insert(FocusedName());
        QTest::keyClick(Focused(), Qt::Key_Tab);
    } while (Focused() != start && reached.size() < 40);
    for (const char* name : {"CaseListTabImage", "PreviousCasesTabImage", "ShowMyCasesButtonImage",
                             "ShowAllCasesImageButton", "EnterNewCaseButtonImage", "OpenCasesListBox"})
        EXPECT_EQ(reached.count(name), 1u) << name;
    // Nothing hidden or covered takes the focus.
    for (const char* name : {"ShowAdminImage", "CaseInfoImageButton", "CaseListImageButton", "CaseDiagnosisMemo"})
        EXPECT_EQ(reached.count(name), 0u) << name;

    QWidget* previousTab = main->findChild<QWidget*>("PreviousCasesTabImage");
    ASSERT_TRUE(TabTo(previousTab));
    test::ExpectFramed(main.get(), previousTab);
    QTest::keyClick(previousTab, Qt::Key_Space);
    EXPECT_TRUE(PanelShown("ClosedCaseList"));
    EXPECT_EQ(Focused(), previousTab);

    QWidget* all = main->HostedPanel("ClosedCaseList")->findChild<QWidget*>("ShowAllCasesImageButton");
    ASSERT_TRUE(TabTo(all));
    QTest::keyClick(all, Qt::Key_Space);
    EXPECT_TRUE(main->Lists.ShowAllPreviousCases);
}

TEST_F(CaseScreens, BackToCaseListKeepsItsCaptionWhenHovered) {
    QLabel* back = S().CaseNavigation->CaseListImageButton();
    const auto shown = [back] { return back->pixmap().toImage(); };
    const QImage normal = shown();
    const QImage blank = ImageButtonArt::Paint(ImageButtonArt::Shape::Button, "", back->font(), back->size(),
                                               cImageButton::Hover, back->devicePixelRatioF())
                             .toImage();
    cImageButton::Of(back)->SetHover(true);
    EXPECT_NE(shown(), normal);
    EXPECT_NE(shown(), blank);
    cImageButton::Of(back)->SetHover(false);
    EXPECT_EQ(shown(), normal);
}

}  // namespace
}  // namespace dalvero
