// The windows by keyboard and at any size, on the demo server: Enter logs
// in, a case opens from the list by Enter or double click and goes back on
// Escape, Tab leaves memos and reaches every tab and image button, the focus
// is framed, and the main window resizes from its design size.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "case_edit_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_list_prev_form.h"
#include "case_screens.h"
#include "focus_frame.h"
#include "gui_client_fixture.h"

namespace dalvero {
namespace {

using test::ClientOnDemoServer;

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QWidget* Focused() { return QApplication::focusWidget(); }
std::string FocusedName() { return Focused() ? Focused()->objectName().toStdString() : "(none)"; }

// The focus frame of `window` is on view around `control`.
void ExpectFramed(QWidget* window, QWidget* control) {
    const cFocusFrame* focus = window->findChild<cFocusFrame*>();
    ASSERT_NE(focus, nullptr);
    ASSERT_EQ(focus->Target(), control);
    const QWidget* frame = focus->Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->parentWidget(), control->parentWidget());
    EXPECT_TRUE(frame->geometry().contains(control->geometry()));
    EXPECT_FALSE(control->geometry().contains(frame->geometry()));
}

std::string StoredNotes(dbServerConnection& db, const std::string& caseSeq) {
    std::string stored;
    // Notes are read as joined fields: only with an alias list.
    EXPECT_TRUE(GetRecordFields(db, "Cases", caseSeq, "f1001", stored, "P=Patients:f10"));
    return StringList(ParseCommaText(stored)).Value("f1001");
}

TEST_F(ClientOnDemoServer, EnterInThePasswordLogsIn) {
    Start();
    login->FormPaint();
    Activate(login.get());
    EXPECT_TRUE(login->findChild<QPushButton*>("LoginButton")->isDefault());
    EXPECT_TRUE(login->size().expandedTo(login->minimumSizeHint()) == login->size());

    const auto& user = DemoUser("Discharge Planner");
    auto* email = login->findChild<QLineEdit*>("UserEdit");
    email->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(email, QString::fromStdString(user.email));
    QTest::keyClick(email, Qt::Key_Tab);
    auto* password = login->findChild<QLineEdit*>("PasswordEdit");
    ASSERT_EQ(Focused(), password);
    ExpectFramed(login.get(), password);
    QTest::keyClicks(password, QString::fromStdString(user.password));
    QTest::keyClick(password, Qt::Key_Return);

    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(session.UserField(22), user.email);
}

class KeyboardOnCases : public ClientOnDemoServer {
protected:
    void SetUp() override {
        Start();
        const auto& user = DemoUser("Discharge Planner");
        LogIn(user.email, user.password);
        main->FormActivate();
        Activate(main.get());
        ASSERT_TRUE(dialogs.shown.empty());
    }

    cCaseScreens& S() const { return main->Screens(); }
    cCaseListModel& Rows() const { return S().CaseList->Rows(); }
    QListView* List() const { return S().CaseList->OpenCasesListBox(); }
    QWidget* Named(const char* name) const { return main->findChild<QWidget*>(name); }
    bool Shown(const char* panel) const { return main->HostedPanel(panel)->isVisibleTo(main.get()); }

    // Presses Tab until `target` has the focus; false when a whole round missed it.
    bool TabTo(QWidget* target) {
        for (int i = 0; i < 40 && Focused() != target; ++i) QTest::keyClick(Focused(), Qt::Key_Tab);
        return Focused() == target;
    }
};

TEST_F(KeyboardOnCases, CaseOpensByKeyboardMemoLeavesOnTabEscapeGoesBack) {
    // The list screen starts with the focus in the list.
    ASSERT_EQ(Focused(), List());
    ASSERT_GT(Rows().rowCount(), 2);
    QTest::keyClick(List(), Qt::Key_Home);
    QTest::keyClick(List(), Qt::Key_Down);
    const std::string chosen = Rows().Object(1)->Seq;
    QTest::keyClick(List(), Qt::Key_Return);

    EXPECT_EQ(main->EditMode, 1);
    EXPECT_EQ(main->CurrentCaseSeq, chosen);
    ASSERT_TRUE(Shown("CaseEdit"));
    // The notes wait for the user; the case starts at its tab.
    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    EXPECT_EQ(FocusedName(), "CaseInfoImageButton");
    ExpectFramed(main.get(), Focused());

    ASSERT_TRUE(TabTo(memo));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " Walker");
    const std::string typed = memo->toPlainText().toStdString();
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->toPlainText().toStdString(), typed);
    EXPECT_NE(Focused(), memo);
    EXPECT_EQ(StoredNotes(*session.DataServer, chosen), typed);

    QTest::keyClick(Focused(), Qt::Key_Backtab);
    ASSERT_EQ(Focused(), memo);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " at home");
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_EQ(main->EditMode, 0);
    EXPECT_TRUE(Shown("OpenCaseList"));
    EXPECT_EQ(StoredNotes(*session.DataServer, chosen), typed + " at home");
    EXPECT_EQ(Focused(), List());

    // A click only selects; a double click opens.
    const QModelIndex third = Rows().index(2);
    const QPoint at = List()->visualRect(third).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(List()->currentIndex().row(), 2);
    EXPECT_EQ(main->EditMode, 0);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(main->EditMode, 1);
    EXPECT_EQ(main->CurrentCaseSeq, Rows().Object(2)->Seq);
    EXPECT_TRUE(Shown("CaseEdit"));
}

TEST_F(KeyboardOnCases, TabReachesEveryTabAndImageButtonAndSpacePressesIt) {
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

    QWidget* previousTab = Named("PreviousCasesTabImage");
    ASSERT_TRUE(TabTo(previousTab));
    ExpectFramed(main.get(), previousTab);
    QTest::keyClick(previousTab, Qt::Key_Space);
    EXPECT_TRUE(Shown("ClosedCaseList"));
    EXPECT_EQ(Focused(), previousTab);

    QWidget* all = main->HostedPanel("ClosedCaseList")->findChild<QWidget*>("ShowAllCasesImageButton");
    ASSERT_TRUE(TabTo(all));
    QTest::keyClick(all, Qt::Key_Space);
    EXPECT_TRUE(main->ShowAllPreviousCases);
}

TEST_F(KeyboardOnCases, MainWindowResizesFromItsDesignSize) {
    EXPECT_EQ(main->size(), QSize(1192, 698));
    EXPECT_EQ(main->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    // 1280x720 logical pixels (1920x1080 at 150 %) less the window's frame.
    for (const char* name : {"OpenCaseList", "ClosedCaseList", "CaseEdit", "DischargeView", "Admin"}) {
        main->ShowPanel(name);
        EXPECT_LE(main->minimumSizeHint().width(), 1260) << name;
        EXPECT_LE(main->minimumSizeHint().height(), 680) << name;
    }

    main->ShowPanel("ClosedCaseList");
    const int designPage = S().CaseListPrev->PageSize();
    main->ShowPanel("OpenCaseList");
    const QSize designList = List()->size();
    main->resize(1600, 1000);
    QApplication::processEvents();
    EXPECT_EQ(List()->size(), designList + QSize(408, 302));
    const auto* header = main->findChild<QHeaderView*>("OpenCasesHeader");
    const int widths[] = {200, 130, 70, 50, 100, 100, 40, 70, 150, 240};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(header->sectionSize(i), widths[i]) << i;
    main->ShowPanel("ClosedCaseList");
    EXPECT_EQ(S().CaseListPrev->PageSize(), designPage + 302 / 23);
}

}  // namespace
}  // namespace dalvero
