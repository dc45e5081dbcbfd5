// The client while the data server is away and when it is back: a case
// that fails to load shows and writes nothing, typing the server did not
// take is kept, asked about and saved later, and the case list says why it
// is empty and fills itself again.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "case_edit_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "control_text.h"
#include "field_tag.h"
#include "gui_planner_fixture.h"
#include "temp_dir.h"
#include "item_list_model.h"
#include "record_ops.h"
#include "screen_content.h"

namespace dalvero {
namespace {

class ServerAway : public test::PlannerOnDemoServer {
protected:
    void SetUp() override {
        // Recovery files go to this test's own folder: tests running at the
        // same time open the same demo cases.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.Path().string()));
        PlannerOnDemoServer::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_GT(Rows().rowCount(), 1);
        memo = S().CaseEdit->CaseDiagnosisMemo();
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    static std::filesystem::path RecoveryFolder() {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    }
    cCaseListModel& Rows() const { return OpenRows(); }
    std::string OpenCase(int row) {
        const std::string seq = Rows().At(row)->Seq;
        S().CaseList->OpenCasesListBoxClick(Rows().index(row));
        return seq;
    }
    void Type(const char* text) {
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
    std::string StoredNote(const std::string& caseSeq) const {
        std::string stored;
        EXPECT_TRUE(GetRecordFields(*session.DataServer, "Cases", caseSeq, "f1001", stored, "P=Patients:f10"));
        return StringList(ParseCommaText(stored)).Value("f1001");
    }
    int RowOf(const std::string& seq) const {
        for (int row = 0; row < Rows().rowCount(); ++row)
            if (Rows().At(row)->Seq == seq) return row;
        return -1;
    }
    QLabel* EmptyText() const { return S().CaseList->LoadState().EmptyText(); }

    test::TempDir dataHome;
    QPlainTextEdit* memo = nullptr;
};

TEST_F(ServerAway, FailedCaseLoadShowsNothingOfTheLastCaseAndWritesNothing) {
    OpenCase(0);
    const std::string firstNote = ControlText(memo);
    S().CaseNavigation->CaseListImageButtonClick();
    const std::string other = Rows().At(1)->Seq;
    const std::string otherNote = StoredNote(other);
    ASSERT_NE(firstNote, otherNote);

    server.Stop();
    dialogs.Answer(QMessageBox::Ok);
    OpenCase(1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("could not be loaded"), std::string::npos);
    EXPECT_EQ(main->Case.CurrentCaseSeq, other);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(S().CaseEdit->SubList(CaseSubList::kPhysicians).rowCount(), 0);
    EXPECT_EQ(main->CaseHistoryList().rowCount(), 0);
    EXPECT_FALSE(main->findChild<QWidget*>("MainInfoPanel")->isVisibleTo(main.get()));

    // Even a change that reaches the memo goes nowhere once the server is back.
    server.Resume();
    memo->setPlainText(QString::fromStdString(firstNote));
    SetFieldChanged(memo, true);
    main->CaseFieldExit(memo);
    EXPECT_EQ(StoredNote(other), otherNote);
}

TEST_F(ServerAway, UnsavedTypingIsKeptAskedAboutOnLeavingAndSavedWhenTheServerIsBack) {
    const std::string seq = OpenCase(0);
    server.Stop();
    Type(" Needs rails.");
    const std::string typed = ControlText(memo);
    dialogs.Answer(QMessageBox::Ok);
    main->CaseFieldExit(memo);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(ControlText(memo), typed);
    EXPECT_TRUE(IsFieldChanged(memo));

    // Leaving asks until the server takes it or the user lets it go.
    dialogs.Answer(QMessageBox::Retry);
    dialogs.AnswerAfter([this] { server.Resume(); }, QMessageBox::Retry);
    S().CaseNavigation->CaseListImageButtonClick();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[1].caption, "Unsaved Changes");
    EXPECT_EQ(dialogs.shown[1].buttons, QMessageBox::Retry | QMessageBox::Discard);
    EXPECT_EQ(StoredNote(seq), typed);
    EXPECT_FALSE(IsFieldChanged(memo));
    EXPECT_GT(Rows().rowCount(), 0);
}

TEST_F(ServerAway, IdleTimeoutKeepsUnsavedTypingForTheNextOpeningOfTheCase) {
    const std::string seq = OpenCase(0);
    server.Stop();
    Type(" Call the daughter.");
    const std::string typed = ControlText(memo);
    main->IdleTicks = 301;
    main->TimeoutTimerTimer();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::is_empty(RecoveryFolder() / "recovered"));

    server.Resume();
    S().CaseNavigation->CaseListImageButtonClick();
    dialogs.Answer(QMessageBox::Yes);
    OpenCase(RowOf(seq));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Recovered Text");
    EXPECT_EQ(ControlText(memo), typed);
    S().CaseNavigation->CaseListImageButtonClick();
    EXPECT_EQ(StoredNote(seq), typed);
    EXPECT_TRUE(std::filesystem::is_empty(RecoveryFolder() / "recovered"));
}

TEST_F(ServerAway, CaseListSaysWhyItIsEmptyAndFillsItselfWhenTheServerIsBack) {
    EXPECT_FALSE(EmptyText()->isVisibleTo(main.get()));
    const int cases = Rows().rowCount();

    server.Stop();
    main->LoadOpenCaseList();
    EXPECT_EQ(Rows().rowCount(), 0);
    EXPECT_TRUE(EmptyText()->isVisibleTo(main.get()));
    EXPECT_EQ(EmptyText()->text().toStdString(), kServerUnreachableText);
    QTimer* retry = S().CaseList->LoadState().RetryTimer();
    ASSERT_TRUE(retry->isActive());

    retry->start(20);
    QTest::qWait(100);  // still away: it keeps trying
    EXPECT_TRUE(retry->isActive());
    EXPECT_EQ(Rows().rowCount(), 0);
    server.Resume();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Rows().rowCount() == cases; }));
    EXPECT_FALSE(EmptyText()->isVisibleTo(main.get()));
    EXPECT_FALSE(retry->isActive());

    // A user without open cases is told so.
    main->User.UserSeq = "999999";
    main->LoadOpenCaseList();
    EXPECT_EQ(Rows().rowCount(), 0);
    EXPECT_EQ(EmptyText()->text(), "No open cases");
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace dalvero
