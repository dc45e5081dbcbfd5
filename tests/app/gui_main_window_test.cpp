// The main window: its first activation on the demo server, the hosted
// panels, its layout, the idle timeout and the saving of an edited case field.
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "case_edit_form.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "fake_peer.h"
#include "field_tag.h"
#include "frame.h"
#include "gui_planner_fixture.h"
#include "image_button.h"
#include "password_hash.h"

namespace dalvero {
namespace {

using test::ClientOnDemoServer;
using test::FakePeer;
using test::PeerScript;

const char* const kPanelNames[] = {"OpenCaseList",     "DischargeView",       "CaseEdit",
                                   "ClosedCaseList",   "PreviousCaseEdit",    "PatientHealthDetail",
                                   "CaseHistory",      "Admin",               "casenav"};

class MainWindowAlone : public ::testing::Test {
protected:
    MainWindowAlone() : main(session) {
        main.TimeoutTimer->stop();
        main.TerminateAction = [this] { ++terminations; };
    }

    void Tick(int times) {
        for (int i = 0; i < times; ++i) main.TimeoutTimerTimer();
    }
    void Send(QWidget* to, QEvent&& event) { QApplication::sendEvent(to, &event); }

    ClientSession session;
    TForm1 main;
    int terminations = 0;
};

TEST_F(MainWindowAlone, IdleTimeoutEndsOnThe302ndTickAndEveryInputRestartsIt) {
    QWidget* somewhere = main.PersonnelStatusLabel();
    const QPointF at(3, 3);
    const std::vector<std::function<void()>> inputs{
        [&] { Send(somewhere, QMouseEvent(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier)); },
        [&] { Send(somewhere, QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a")); },
        // Reading with the wheel and clicking where the mouse already is.
        [&] {
            Send(somewhere, QWheelEvent(at, at, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                                        Qt::NoScrollPhase, false));
        },
        [&] {
            Send(somewhere,
                 QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        },
    };
    for (const auto& input : inputs) {
        Tick(300);
        input();
        EXPECT_EQ(main.IdleTicks, 0);
    }
    Tick(301);
    EXPECT_EQ(terminations, 0);
    Tick(1);
    EXPECT_EQ(terminations, 1);
}

class FieldExitSave : public MainWindowAlone {
protected:
    void SetUp() override {
        memo = main.Screens().CaseEdit->CaseDiagnosisMemo();
        SetFieldTag(memo, 1001);
        main.Case.EditMode = 1;
        main.Case.CurrentCaseSeq = "12";
        main.Screens().CaseEdit->Content().Loaded("12");
        main.Case.PatientRecord = StringList{"f10=Ann", "f12=Lee"};
    }
    void Edit(const char* text) {
        memo->setPlainText(text);
        SetFieldChanged(memo, true);
    }
    // A data server that answers each update with the next reply.
    void Serve(const std::vector<std::string>& replies) {
        PeerScript script;
        for (const std::string& reply : replies) script.ReadFrame().Reply(reply);
        peer = std::make_unique<FakePeer>(script);
        session.DataServer = std::make_unique<dbServerConnection>("127.0.0.1", peer->PortText(), "", "", false, 20);
    }

    QPlainTextEdit* memo = nullptr;
    std::unique_ptr<FakePeer> peer;
};

TEST_F(FieldExitSave, WritesExactlyTheOneChangedFieldOfAnOpenCase) {
    Serve({"Seq=12", "Seq=12"});
    // Without an open case nothing is written and the change waits.
    main.Case.EditMode = 0;
    Edit("typed while no case is open");
    main.CaseFieldExit(memo);
    EXPECT_TRUE(IsFieldChanged(memo));
    main.Case.EditMode = 1;

    Edit("Needs oxygen\nat home");
    main.CaseFieldExit(memo);
    EXPECT_FALSE(IsFieldChanged(memo));
    main.CaseFieldExit(memo);  // unchanged since: nothing more to write
    Edit("");
    main.CaseFieldExit(memo);

    const auto requests = peer->Messages();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header.command, frame::cmd::kRecord);
    EXPECT_EQ(requests[0].header.subCommand, frame::sub::kUpdate);
    EXPECT_EQ(requests[0].Text(), "TableName=Cases,Seq=12,\"f1001=Needs oxygen||at home\"");
    // An emptied field is written empty, not left out.
    EXPECT_EQ(requests[1].Text(), "TableName=Cases,Seq=12,f1001=");
    EXPECT_EQ(main.Case.PatientRecord, (StringList{"f10=Ann", "f12=Lee"}));
}

class ActivatedMainWindow : public test::PlannerOnDemoServer {
protected:
    using PlannerOnDemoServer::Shown;
    bool Shown(QWidget* w) const { return w && w->isVisibleTo(main.get()); }
    bool Selected(QLabel* tab) const { return cImageButton::Of(tab)->State() & cImageButton::Selected; }
};

TEST_F(ActivatedMainWindow, LoadsTheUsersHospitalAndCases) {
    EXPECT_EQ(main->User.HospitalSeq, session.UserField(9));
    EXPECT_EQ(main->User.UserSeq, session.UserField(1));
    // The demo hospital has a logo, shown in place of its name.
    auto* logo = main->findChild<QLabel*>("HospLogoImage");
    EXPECT_TRUE(Shown(logo));
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_FALSE(Shown("HospitalNameLabel"));
    EXPECT_FALSE(folder.Has("tmp.jpg"));
    EXPECT_FALSE(Shown(main->Screens().ListNavigation->ShowAdminImage()));
    EXPECT_FALSE(main->User.CaseWorkers.empty());
    EXPECT_TRUE(Shown(main->HostedPanel("OpenCaseList")));

    const cCaseListModel& rows = main->Screens().CaseList->Rows();
    ASSERT_GT(rows.rowCount(), 1);
    bool anyStatus = false;
    for (int i = 0; i < rows.rowCount(); ++i) {
        EXPECT_EQ(rows.At(i)->CaseWorkerSeq, main->User.UserSeq);
        anyStatus = anyStatus || !rows.At(i)->Status.empty();
        if (i > 0) {
            EXPECT_LE(QString::fromStdString(rows.Text(i - 1)).compare(QString::fromStdString(rows.Text(i)),
                                                                       Qt::CaseInsensitive),
                      0);
        }
    }
    EXPECT_TRUE(anyStatus);
    // A second activation reloads nothing.
    main->Screens().CaseList->Rows().Clear();
    main->FormActivate();
    EXPECT_EQ(rows.rowCount(), 0);
}

TEST_F(ActivatedMainWindow, ExactlyOneHostedPanelShows) {
    QWidget* listStrip = main->findChild<QWidget*>("CaseListNavigationPanel");
    QWidget* caseStrip = main->findChild<QWidget*>("CaseInformationTabPanel");
    for (const char* name : kPanelNames) {
        SCOPED_TRACE(name);
        main->ShowPanel(name);
        const std::string shown = name;
        const bool caseScreen = shown == "DischargeView" || shown == "CaseEdit" || shown == "PatientHealthDetail" ||
                                shown == "CaseHistory" || shown == "casenav";
        // The case strip is itself the "casenav" panel.
        for (const std::string other : kPanelNames) {
            EXPECT_EQ(Shown(main->HostedPanel(other)), other == shown || (other == "casenav" && caseScreen)) << other;
        }
        // One strip at a time: the case strip covers the list strip.
        EXPECT_EQ(Shown(caseStrip), caseScreen);
        EXPECT_EQ(Shown(listStrip), !caseScreen);
    }
    // The selected tab follows the panel.
    auto* listTab = main->findChild<QLabel*>("CaseListTabImage");
    auto* previousTab = main->findChild<QLabel*>("PreviousCasesTabImage");
    main->ShowPanel("ClosedCaseList");
    EXPECT_TRUE(Selected(previousTab) && !Selected(listTab));
    main->ShowPanel("PatientHealthDetail");
    EXPECT_TRUE(Selected(main->findChild<QLabel*>("CaseDetailsImageButton")));
    EXPECT_FALSE(Selected(main->findChild<QLabel*>("CaseInfoImageButton")));
    main->ShowPanel("OpenCaseList");
    EXPECT_TRUE(Selected(listTab) && !Selected(previousTab));
    main->ShowPanel("NoSuchPanel");
    for (const char* name : kPanelNames) EXPECT_FALSE(Shown(main->HostedPanel(name))) << name;
}

TEST_F(ActivatedMainWindow, ResizesFromItsDesignSize) {
    EXPECT_EQ(main->size(), QSize(1192, 698));
    EXPECT_EQ(main->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    // 1280x720 logical pixels (1920x1080 at 150 %) less the window's frame.
    for (const char* name : {"OpenCaseList", "ClosedCaseList", "CaseEdit", "DischargeView", "Admin"}) {
        main->ShowPanel(name);
        EXPECT_LE(main->minimumSizeHint().width(), 1260) << name;
        EXPECT_LE(main->minimumSizeHint().height(), 680) << name;
    }

    main->ShowPanel("ClosedCaseList");
    const int designPage = main->Screens().CaseListPrev->PageSize();
    main->ShowPanel("OpenCaseList");
    QWidget* list = main->findChild<QWidget*>("OpenCasesListBox");
    const QSize designList = list->size();
    main->resize(1600, 1000);
    QApplication::processEvents();
    EXPECT_EQ(list->size(), designList + QSize(408, 302));
    const auto* header = main->findChild<QHeaderView*>("OpenCasesHeader");
    const int widths[] = {200, 130, 70, 50, 100, 100, 40, 70, 150, 240};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(header->sectionSize(i), widths[i]) << i;
    // The last column takes the width the window gained.
    EXPECT_GE(header->sectionSize(9), widths[9] + 400);
    main->ShowPanel("ClosedCaseList");
    EXPECT_EQ(main->Screens().CaseListPrev->PageSize(), designPage + 302 / 23);
}

class AnotherHospital : public ClientOnDemoServer {
protected:
    void SetUp() override {
        Start();
        login->FormPaint();
    }
    void LogInAt(const std::string& hospitalSeq, const std::string& administrator = "") {
        AddUser("pat@example.com", HashPassword("pw", test::RealServer::kPasswordIterations), hospitalSeq, "Y", administrator);
        LogIn("pat@example.com", "pw");
        main->FormActivate();
    }
    bool Shown(const char* name) const { return main->findChild<QWidget*>(name)->isVisibleTo(main.get()); }
};

TEST_F(AnotherHospital, MissingHospitalStopsTheStartUp) {
    dialogs.Answer(QMessageBox::Ok);
    LogInAt("999999");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Couldn't find the hospital");
    EXPECT_TRUE(Shown("OpenCasesListPanel"));
    EXPECT_EQ(main->Screens().CaseList->Rows().rowCount(), 0);
    EXPECT_FALSE(Shown("HospLogoImage"));
    EXPECT_FALSE(Shown("ShowAdminImage"));
}

TEST_F(AnotherHospital, LocalLogoUploadedWhenTheServerHasNone) {
    const std::string hospital = std::to_string(server.OpenStore()->Add("ProviderEntities", {{10, "Riverside Clinic"}}));
    std::filesystem::copy_file(DALVERO_DEMO_LOGO, folder.File("Logo.jpg"));
    // The hospital's record, its logo included, is the administrators' to write.
    LogInAt(hospital, "Y");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(Shown("HospitalNameLabel"));
    EXPECT_EQ(main->findChild<QLabel*>("HospitalNameLabel")->text(), "Riverside Clinic");
    EXPECT_FALSE(Shown("HospLogoImage"));
    ASSERT_TRUE(session.DataServer->GetRecordFile("ProviderEntities", hospital, 1, folder.File("stored.jpg")));
    EXPECT_EQ(folder.Read("stored.jpg"), folder.Read("Logo.jpg"));
}

}  // namespace
}  // namespace dalvero
