#pragma once
// A client on a real demo server: its folder with the server's Dalvero.ini,
// its session, the login window and the main window as start-up makes them.
// Message boxes are answered through the dialog seam.

#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client_session.h"
#include "gui_temp_folder.h"
#include "login_form.h"
#include "main_window.h"
#include "real_server.h"
#include "record_ops.h"
#include "scripted_dialogs.h"

namespace dalvero::test {

class ClientOnDemoServer : public ::testing::Test {
protected:
    ClientOnDemoServer() : server(RealServer::Demo) { server.WriteClientIni(folder.Path()); }

    // The windows as start-up creates them, the login window first.
    void Start() {
        session.ApplicationFolder = folder.Path();
        login = std::make_unique<TLoginForm>(session, folder.File("Dalvero"), [this] { ++ends; });
        main = std::make_unique<TForm1>(session);
        main->TimeoutTimer->stop();
        main->TerminateAction = [this] { ++terminations; };
        login->AttachMainWindow(*main);
    }

    // Connects, as the first paint does, and logs in.
    void LogIn(const std::string& email, const std::string& password) {
        login->FormPaint();
        login->findChild<QLineEdit*>("UserEdit")->setText(QString::fromStdString(email));
        login->findChild<QLineEdit*>("PasswordEdit")->setText(QString::fromStdString(password));
        login->LoginButtonClick();
    }

    // A Personnel record with these stored values, written into the
    // server's store directly (as its administrator would, not as a client).
    void AddUser(const std::string& email, const std::string& storedPassword, const std::string& hospitalSeq,
                 const std::string& planner, const std::string& administrator) {
        ASSERT_GT(server.OpenStore()->Add("Personnel", {{9, hospitalSeq},
                                                         {11, "Pat"},
                                                         {13, "Tester"},
                                                         {22, email},
                                                         {23, storedPassword},
                                                         {25, planner},
                                                         {26, administrator}}),
                  0);
    }

    // The first demo login with exactly these roles.
    const server::DemoLogin& DemoUser(const std::string& roles) const { return server.DemoUser(roles); }

    TempFolder folder;
    RealServer server;
    ScriptedDialogs dialogs;
    ClientSession session;
    std::unique_ptr<TLoginForm> login;
    std::unique_ptr<TForm1> main;
    int ends = 0;
    int terminations = 0;
};

}  // namespace dalvero::test
