// Start-up and login against the real demo server: the connections made on
// the first paint, the one login attempt by click or Enter and the roles it
// finds.
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "gui_client_fixture.h"
#include "gui_keyboard.h"
#include "log_in.h"
#include "password_hash.h"
#include "../net/socket_test_util.h"

namespace dalvero {
namespace {

using test::ClientOnDemoServer;
using test::ClosedPort;

class Login : public ClientOnDemoServer {
protected:
    void SetUp() override {
        Start();
        login->FormPaint();
        ASSERT_TRUE(session.DataServer && session.DataServer->IsConnected());
        ASSERT_TRUE(session.FunctionServer && session.FunctionServer->IsConnected());
    }

    // A user of the demo hospital.
    void AddUser(const std::string& email, const std::string& storedPassword, const std::string& planner,
                 const std::string& administrator) {
        StringList demo;
        ASSERT_TRUE(FindRecord(*server.ConnectData(), "Personnel", 4, server.Logins().at(0).email, "", demo));
        ClientOnDemoServer::AddUser(email, storedPassword, demo[9], planner, administrator);
    }

    std::string StatusLabel() const { return main->PersonnelStatusLabel()->text().toStdString(); }

    void ExpectInvalidLogin() {
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "Invalid login");
        EXPECT_EQ(dialogs.shown[0].caption, "Error");
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(main->isVisible());
        EXPECT_TRUE(session.CurrentUser.empty());
    }
};

TEST_F(Login, RoleFlagsReadWhateverTheirCase) {
    AddUser("both@example.com", HashPassword("s3cret pw", test::RealServer::kPasswordIterations), "Y", "y");
    LogIn("both@example.com", "s3cret pw");
    EXPECT_TRUE(main->User.IsAdministrator);
    EXPECT_TRUE(main->User.IsDischargePlanner);
    EXPECT_EQ(StatusLabel(), "Administrator, Discharge Planner");
}

TEST_F(Login, NoRolesAndALegacyClearPassword) {
    AddUser("plain@example.com", "Clear-Text", "", "N");
    LogIn("plain@example.com", "Clear-Text");
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->User.IsAdministrator);
    EXPECT_FALSE(main->User.IsDischargePlanner);
    EXPECT_EQ(StatusLabel(), "");
}

TEST_F(Login, WrongPasswordEndsTheProgram) {
    dialogs.Answer(QMessageBox::Ok);
    const auto& user = DemoUser("Discharge Planner");
    LogIn(user.email, user.password + "x");
    ExpectInvalidLogin();
}

TEST_F(Login, UnknownEmailEndsTheProgram) {
    dialogs.Answer(QMessageBox::Ok);
    LogIn("nobody@example.com", "whatever");
    ExpectInvalidLogin();
}

TEST_F(Login, ALockedAccountIsToldTheServersReasonNotInvalidLogin) {
    // The server locks an account after three failures; the client starts
    // again on its new ports.
    server.SetSecurity("LockAfterFailures", "3");
    server.WriteClientIni(folder.Path());
    session.DataServer.reset();
    session.FunctionServer.reset();
    Start();
    login->FormPaint();
    const auto& user = DemoUser("Discharge Planner");
    const auto other = server.ConnectData("Dalvero", false);
    for (int i = 0; i < 3; ++i) {
        StringList person;
        std::string token;
        ASSERT_FALSE(dalvero::LogIn(*other, user.email, "wrong", person, token));
    }
    dialogs.Answer(QMessageBox::Ok);
    LogIn(user.email, user.password);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("Too many failed log-ins; try again later (retry in ", 0), 0u)
        << dialogs.shown[0].text;
    EXPECT_FALSE(main->isVisible());
}

TEST_F(Login, EnterInThePasswordLogsTheAdministratorIn) {
    test::Activate(login.get());
    EXPECT_TRUE(login->findChild<QPushButton*>("LoginButton")->isDefault());
    EXPECT_TRUE(login->size().expandedTo(login->minimumSizeHint()) == login->size());

    const auto& user = DemoUser("Administrator");
    auto* email = login->findChild<QLineEdit*>("UserEdit");
    email->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(email, QString::fromStdString(user.email));
    QTest::keyClick(email, Qt::Key_Tab);
    auto* password = login->findChild<QLineEdit*>("PasswordEdit");
    ASSERT_EQ(test::Focused(), password);
    test::ExpectFramed(login.get(), password);
    QTest::keyClicks(password, QString::fromStdString(user.password));
    QTest::keyClick(password, Qt::Key_Return);

    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->User.IsAdministrator);
    EXPECT_FALSE(main->User.IsDischargePlanner);
    EXPECT_EQ(StatusLabel(), "Administrator");
    EXPECT_EQ(session.UserField(22), user.email);
    // The typed password is not kept.
    EXPECT_TRUE(password->text().isEmpty());
    main->FormActivate();
    EXPECT_TRUE(main->findChild<QLabel*>("ShowAdminImage")->isVisibleTo(main.get()));
}

class StartUp : public ClientOnDemoServer {
protected:
    // Start-up with these ports, and the message it ends with.
    void ExpectEndsWith(int dataPort, int functionPort, bool withCa, const std::string& message) {
        folder.Write("Dalvero.ini", "[DataServer]\nIP=127.0.0.1\nPort=" + std::to_string(dataPort) +
                                        (withCa ? "\nCAFile=" + server.CaFile() : std::string()) +
                                        "\n[FunctionServer]\nIP=127.0.0.1\nPort=" + std::to_string(functionPort) +
                                        "\n");
        Start();
        dialogs.Answer(QMessageBox::Ok);
        login->FormPaint();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, message);
        EXPECT_EQ(dialogs.shown[0].caption, "Error");
        EXPECT_EQ(ends, 1);
    }
};

TEST_F(StartUp, FirstPaintConnectsOnce) {
    Start();
    login->show();
    for (int i = 0; i < 100 && !session.FunctionServer; ++i) QApplication::processEvents();
    ASSERT_TRUE(session.FunctionServer);
    const dbServerConnection* data = session.DataServer.get();
    login->repaint();
    QApplication::processEvents();
    login->FormPaint();
    EXPECT_EQ(session.DataServer.get(), data);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(ends, 0);
}

TEST_F(StartUp, UnreachableDataServer) {
    ExpectEndsWith(ClosedPort(), server.FunctionPort(), true, "Unable to connect to data server");
    EXPECT_FALSE(session.FunctionServer);
}

TEST_F(StartUp, DataServerVerifiedAgainstTheConfiguredAuthority) {
    ExpectEndsWith(server.DataPort(), server.FunctionPort(), false, "Unable to connect to data server");
}

TEST_F(StartUp, UnreachableFunctionServer) {
    ExpectEndsWith(server.DataPort(), ClosedPort(), true, "Unable to connect to function server");
}

}  // namespace
}  // namespace dalvero
