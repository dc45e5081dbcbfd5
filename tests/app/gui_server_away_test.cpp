// The client while the data server is away and when it is back: a case
// that fails to load shows and writes nothing, typing the server did not
// take is kept, asked about and saved later, and the case list says why it
// is empty and fills itself again.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "case_edit_form.h"
#include "case_navigation_form.h"
#include "health_checklist.h"
#include "health_checklist_view.h"
#include "health_detail_forms.h"
#include "control_text.h"
#include "field_tag.h"
#include "gui_planner_fixture.h"
#include "item_list_model.h"
#include "screen_content.h"

namespace dalvero {
namespace {

class ServerAway : public test::PlannerOnDemoServer {
protected:
    void SetUp() override {
        PlannerOnDemoServer::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_GT(Rows().rowCount(), 1);
        memo = S().CaseEdit->CaseDiagnosisMemo();
    }

    static std::filesystem::path RecoveryFolder() {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    }
    cCaseListModel& Rows() const { return OpenRows(); }
    void Type(const char* text) {
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
    std::string StoredNote(const std::string& caseSeq) const { return Note("Cases", caseSeq, "f1001"); }
    // Every recovery file and its folder are the user's alone.
    static void ExpectOwnerOnly() {
        namespace fs = std::filesystem;
        EXPECT_EQ(fs::status(RecoveryFolder()).permissions(), fs::perms::owner_all);
        EXPECT_EQ(fs::status(RecoveryFolder() / "recovered").permissions(), fs::perms::owner_all);
        for (const auto& file : fs::directory_iterator(RecoveryFolder() / "recovered"))
            EXPECT_EQ(file.status().permissions(), fs::perms::owner_read | fs::perms::owner_write);
    }
    QLabel* EmptyText() const { return S().CaseList->LoadState().EmptyText(); }

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
    IdleLogoff();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::is_empty(RecoveryFolder() / "recovered"));
    ExpectOwnerOnly();

    server.Resume();
    S().CaseNavigation->CaseListImageButtonClick();
    dialogs.Answer(QMessageBox::Yes);
    OpenCase(RowOfCase(Rows(), seq));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Recovered Text");
    EXPECT_EQ(ControlText(memo), typed);
    S().CaseNavigation->CaseListImageButtonClick();
    EXPECT_EQ(StoredNote(seq), typed);
    EXPECT_TRUE(std::filesystem::is_empty(RecoveryFolder() / "recovered"));
}

TEST_F(ServerAway, ChecklistEditsAreKeptRetriedAndAtTheIdleLogoffKeptUnasked) {
    const std::string seq = OpenCase(0);
    TPatientHealthDetailForm& form = *S().PatientHealthDetail;
    QCheckBox* vision = form.Checklist().findChild<QCheckBox*>("Vision1");
    ASSERT_NE(vision, nullptr);
    main->ShowPanel("PatientHealthDetail");
    const bool ticked = vision->isChecked();
    const auto storedTick = [&] {
        return ParseHealthDetail(Note("Cases", seq, "f1002")).Value("Vision1");
    };
    const std::string before = storedTick();

    // A failed save is said once and kept, and goes when the server is back.
    server.Stop();
    vision->click();
    dialogs.Answer(QMessageBox::Ok);
    main->ShowPanel("CaseEdit");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("could not be saved"), std::string::npos);
    server.Resume();
    EXPECT_TRUE(main->Saves.FieldSaves.RetryAll(*session.DataServer));
    const std::string after = storedTick();
    EXPECT_NE(after, before);

    // At the idle limit nothing is asked; the ticks wait in a recovery file.
    main->ShowPanel("PatientHealthDetail");
    server.Stop();
    vision->click();
    IdleLogoff();
    EXPECT_FALSE(main->TimeoutTimer->isActive());
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    ExpectOwnerOnly();

    server.Resume();
    dialogs.Answer(QMessageBox::Yes);
    form.LoadHealthDetail();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].caption, "Recovered Text");
    EXPECT_EQ(vision->isChecked(), ticked);
    main->ShowPanel("CaseEdit");
    EXPECT_EQ(storedTick(), before);
}

TEST_F(ServerAway, CaseStatusSquaresAreReadAgainWhenTheirCommandFailed) {
    const auto statuses = [this] {
        std::vector<std::string> all;
        for (int row = 0; row < Rows().rowCount(); ++row) all.push_back(Rows().At(row)->Status);
        return all;
    };
    const std::vector<std::string> shown = statuses();
    ASSERT_NE(shown, std::vector<std::string>(shown.size()));
    const std::string session = this->session.FunctionServer->Session;
    this->session.FunctionServer->Session = "refused";
    main->LoadOpenCaseList();
    EXPECT_EQ(statuses(), std::vector<std::string>(shown.size()));
    QTimer* retry = S().CaseList->LoadState().RetryTimer();
    ASSERT_TRUE(retry->isActive());
    this->session.FunctionServer->Session = session;
    retry->start(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return statuses() == shown; }));
    EXPECT_FALSE(retry->isActive());
}

TEST_F(ServerAway, AnEndedSessionAsksForThePasswordAndThenSendsTheKeptTyping) {
    const std::string seq = OpenCase(0);
    // The server ends the planner's sessions, as its idle limit would.
    {
        const auto store = server.OpenStore();
        server::ListRead sessions;
        sessions.table = "Sessions";
        for (const server::Record& s : store->Select(sessions)) store->Update("Sessions", s.seq, {{14, "Y"}});
    }
    server.Stop();
    server.Resume();
    // The first request meets the broken connection; the next ones a new
    // connection that the ended session no longer logs in.
    StringList ignored;
    ReadRecord(*session.DataServer, "Cases", seq, ignored);
    Type(" Walker at home.");
    const std::string typed = ControlText(memo);
    dialogs.Answer(QMessageBox::Ok);
    main->CaseFieldExit(memo);
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return login->LoggingInAgain(); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Session Ended");
    const auto& user = DemoUser("Discharge Planner");
    EXPECT_EQ(login->findChild<QLineEdit*>("UserEdit")->text().toStdString(), user.email);
    login->findChild<QLineEdit*>("PasswordEdit")->setText(QString::fromStdString(user.password));
    login->LoginButtonClick();
    EXPECT_FALSE(login->LoggingInAgain());
    EXPECT_EQ(StoredNote(seq), typed);
    EXPECT_FALSE(IsFieldChanged(memo));
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
    // The case statuses may take one more round.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !retry->isActive(); }));

    // A user without open cases is told so.
    main->User.UserSeq = "999999";
    main->LoadOpenCaseList();
    EXPECT_EQ(Rows().rowCount(), 0);
    EXPECT_EQ(EmptyText()->text(), "No open cases");
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace dalvero
