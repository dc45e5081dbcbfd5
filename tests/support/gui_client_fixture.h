#pragma once
// A client on a real demo server: its folder with the server's Dalvero.ini,
// its session, the login window and the main window as start-up makes them.
// Message boxes are answered through the dialog seam; recovery files go to
// a folder of the test's own, since tests running at the same time open the
// same demo cases. Helpers read back what the server stored.

#include <QLineEdit>
#include <QTimer>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client_session.h"
#include "gui_temp_folder.h"
#include "login_form.h"
#include "main_window.h"
#include "real_server.h"
#include "record_batch.h"
#include "record_ops.h"
#include "scripted_dialogs.h"
#include "temp_dir.h"

namespace dalvero::test {

// XDG_DATA_HOME in a temporary folder for as long as it lives.
class OwnDataHome {
public:
    OwnDataHome() { qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir_.Path().string())); }
    ~OwnDataHome() { qunsetenv("XDG_DATA_HOME"); }
    OwnDataHome(const OwnDataHome&) = delete;
    OwnDataHome& operator=(const OwnDataHome&) = delete;

private:
    TempDir dir_{"dalvero-data"};
};

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

    // Start-up and log-in of the first demo user with exactly these roles,
    // through the main window's first activation, with nothing to say.
    void StartAs(const std::string& roles) {
        Start();
        const auto& user = DemoUser(roles);
        LogIn(user.email, user.password);
        main->FormActivate();
        ASSERT_TRUE(main->isVisible());
        ASSERT_TRUE(dialogs.shown.empty());
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

    // The idle limit reached with the timer running, as after five minutes
    // without input.
    void IdleLogoff() {
        main->TimeoutTimer->start();
        main->IdleTicks = 301;
        main->TimeoutTimerTimer();
    }

    // A child by object name; a missing one fails the test.
    template <class T>
    static T* Named(const QObject& in, const char* name) {
        T* found = in.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // The texts of the message boxes shown so far, which are then forgotten.
    std::vector<std::string> TakeShown() {
        std::vector<std::string> texts;
        for (const auto& box : dialogs.shown) texts.push_back(box.text);
        dialogs.shown.clear();
        return texts;
    }

    // A record as this client reads it, item n being field n.
    StringList Record(const std::string& table, const std::string& seq) const {
        StringList values;
        EXPECT_TRUE(ReadRecord(*session.DataServer, table, seq, values)) << table << " " << seq;
        return values;
    }
    // Field n of that record; empty when it has fewer.
    std::string Field(const std::string& table, const std::string& seq, std::size_t n) const {
        const StringList values = Record(table, seq);
        return n < values.size() ? values[n] : std::string();
    }
    // A note field ("f1001") of a record.
    std::string Note(const std::string& table, const std::string& seq, const std::string& field) const {
        std::string stored;
        EXPECT_TRUE(GetRecordFields(*session.DataServer, table, seq, field, stored)) << table << " " << seq;
        return StringList(ParseCommaText(stored)).Value(field);
    }
    // The records of a table under key in one of its lists, as Seq and
    // field n, in the order of that field.
    std::vector<std::pair<std::string, std::string>> Listed(const std::string& table, const std::string& list,
                                                            const std::string& key, int n) const {
        std::vector<std::pair<std::string, std::string>> rows;
        const std::string field = "f" + std::to_string(n);
        cRecordBatch batch;
        if (batch.Query(session.DataServer.get(), table, list, key, "", 0, 10000, field, "", "", "F") &&
            batch.Set->First())
            do rows.emplace_back(batch.Set->Seq, batch.Set->ReadField(field));
            while (batch.Set->Next());
        return rows;
    }

    OwnDataHome dataHome;  // first: it outlasts the windows
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
