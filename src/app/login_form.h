#pragma once
// The login window, the application's main window until the login
// succeeds: it reads "Dalvero.ini", connects to both servers on its first
// paint, runs the self-update check and checks one login attempt. When the
// server ends the session later, it comes back over the main window for the
// same user's password, and the work goes on after the new log-in.

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TLoginForm;
}

namespace dalvero {

struct ClientSession;
class TForm1;

class TLoginForm : public QWidget {
    Q_OBJECT
public:
    using EndAction = std::function<void()>;

    // Reads the configuration from session.ApplicationFolder. endProgram
    // ends the process after a failure, and after the self-update has
    // started the new executable (executablePath).
    TLoginForm(ClientSession& session, std::string executablePath, EndAction endProgram);
    ~TLoginForm() override;

    // The window a valid login opens, made after this one.
    void AttachMainWindow(TForm1& mainWindow) { mainWindow_ = &mainWindow; }

    // Connects to both servers and runs the update check; once only.
    void FormPaint();
    // Checks the user and opens the main window; after an ended session,
    // logs the same user in again.
    void LoginButtonClick();
    // The server ended the session: says so and asks for the password again.
    void LogInAgain();
    bool LoggingInAgain() const { return again_; }

    std::string DataServerHost;
    std::string DataServerPort;
    std::string DataServerCAFile;
    std::string FunctionServerHost;
    std::string FunctionServerPort;
    std::string FunctionServerCAFile;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::TLoginForm> ui;
    ClientSession& session_;
    TForm1* mainWindow_ = nullptr;
    std::string executablePath_;
    EndAction endProgram_;
    bool painted_ = false;
    // Asking for the password after the session ended.
    bool again_ = false;
    bool againAsked_ = false;
};

}  // namespace dalvero
