#include "login_form.h"

#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cctype>

#include "client_session.h"
#include "client_update.h"
#include "dialog_seam.h"
#include "focus_frame.h"
#include "form_keys.h"
#include "ini_file.h"
#include "main_window.h"
#include "log_in.h"
#include "table_catalogue.h"
#include "ui_login_form.h"

namespace dalvero {

namespace {
namespace pe = catalogue::personnel;

constexpr char kProgramId[] = "Dalvero";
// The server keeps the client under this name; on this platform the
// executable has no extension.
constexpr char kRemoteClient[] = "Clients\\Dalvero";
constexpr int kNoTimeLimit = -1;

bool IsYes(std::string flag) {
    std::transform(flag.begin(), flag.end(), flag.begin(), [](unsigned char c) { return std::toupper(c); });
    return flag == catalogue::kYes;
}
}  // namespace

TLoginForm::TLoginForm(ClientSession& session, std::string executablePath, EndAction endProgram)
    : ui(std::make_unique<Ui::TLoginForm>()),
      session_(session),
      executablePath_(std::move(executablePath)),
      endProgram_(std::move(endProgram)) {
    ui->setupUi(this);
    // The design size, unless larger fonts need more.
    setFixedSize(size().expandedTo(minimumSizeHint()));
    cFormKeys::Of(this).SetDefaultButton(ui->LoginButton);
    cFocusFrame::Install(this);
    if (const QScreen* desktop = screen()) move(desktop->availableGeometry().center() - rect().center());
    IniFile ini;
    ini.LoadFromFile(session_.ApplicationFolder + "Dalvero.ini");
    DataServerHost = ini.ReadString("DataServer", "IP");
    DataServerPort = ini.ReadString("DataServer", "Port");
    DataServerCAFile = ini.ReadString("DataServer", "CAFile");
    FunctionServerHost = ini.ReadString("FunctionServer", "IP");
    FunctionServerPort = ini.ReadString("FunctionServer", "Port");
    // Both servers carry the same certificate; a configuration written
    // before the FunctionServer spoke TLS names the authority only once.
    FunctionServerCAFile = ini.ReadString("FunctionServer", "CAFile", DataServerCAFile);
    session_.CurrentUser.clear();
    connect(ui->LoginButton, &QPushButton::clicked, this, &TLoginForm::LoginButtonClick);
    // Many requests may meet the ended session before the user answers: one
    // question, after the request that met it.
    SetSessionEndedHook([this] {
        if (againAsked_ || !mainWindow_ || !mainWindow_->isVisible()) return;
        againAsked_ = true;
        QTimer::singleShot(0, this, &TLoginForm::LogInAgain);
    });
}

TLoginForm::~TLoginForm() { SetSessionEndedHook({}); }

void TLoginForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Connecting blocks and may show messages: not inside the paint itself.
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, &TLoginForm::FormPaint);
    }
}

void TLoginForm::FormPaint() {
    if (session_.DataServer) return;
    session_.DataServer = std::make_unique<dbServerConnection>(DataServerHost, DataServerPort, kProgramId, "", true,
                                                               kNoTimeLimit, DataServerCAFile);
    if (!session_.DataServer->IsConnected()) {
        ShowMessageBox(this, "Unable to connect to data server", "Error");
        endProgram_();
        return;
    }
    session_.FunctionServer =
        std::make_unique<dbServerConnection>(FunctionServerHost, FunctionServerPort, "", "", true, kNoTimeLimit,
                                             FunctionServerCAFile);
    if (!session_.FunctionServer->IsConnected()) {
        ShowMessageBox(this, "Unable to connect to function server", "Error");
        endProgram_();
        return;
    }
    cClientUpdate update(*session_.DataServer, kRemoteClient, session_.ApplicationFolder, ui->UpdateProgressBar,
                         executablePath_, endProgram_);
    if (update.UpdateNeeded) {
        // The download services window events: a log-in now would send its
        // request into the middle of the transfer.
        const auto enableLogin = [this](bool on) {
            for (QWidget* control : {static_cast<QWidget*>(ui->UserEdit), static_cast<QWidget*>(ui->PasswordEdit),
                                     static_cast<QWidget*>(ui->LoginButton)})
                control->setEnabled(on);
        };
        enableLogin(false);
        ui->UpdateIndicatorPanel->show();
        update.Run();
        // Unless the program is ending, this copy goes on.
        ui->UpdateIndicatorPanel->hide();
        enableLogin(true);
    }
}

void TLoginForm::LogInAgain() {
    ShowMessageBox(mainWindow_,
                   "Your session has ended: the server ends it after a while without use, and after the longest "
                   "time a log-in may last.\nLog in again to go on; what you typed is kept and saved then.",
                   "Session Ended");
    again_ = true;
    ui->UserEdit->setText(QString::fromStdString(session_.UserField(pe::kEmail)));
    ui->UserEdit->setReadOnly(true);
    ui->PasswordEdit->clear();
    for (QWidget* control : {static_cast<QWidget*>(ui->UserEdit), static_cast<QWidget*>(ui->PasswordEdit),
                             static_cast<QWidget*>(ui->LoginButton)})
        control->show();
    ui->ConnectingLabel->hide();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    ui->PasswordEdit->setFocus();
}

void TLoginForm::LoginButtonClick() {
    if (again_) {
        const std::string password = ui->PasswordEdit->text().toStdString();
        ui->PasswordEdit->clear();
        StringList user;
        std::string token;
        if (!LogIn(*session_.DataServer, session_.UserField(pe::kEmail), password, user, token)) {
            ShowMessageBox(this, LogInRefusal(*session_.DataServer), "Error");
            return;
        }
        session_.CurrentUser = std::move(user);
        session_.FunctionServer->Session = token;
        again_ = false;
        againAsked_ = false;
        hide();
        mainWindow_->SessionResumed();
        return;
    }
    ui->UserEdit->hide();
    ui->PasswordEdit->hide();
    ui->LoginButton->hide();
    ui->ConnectingLabel->show();
    repaint();

    mainWindow_->User.IsAdministrator = false;
    mainWindow_->User.IsDischargePlanner = false;
    std::string role;
    bool valid = false;
    // The typed password is not kept anywhere.
    const std::string password = ui->PasswordEdit->text().toStdString();
    ui->PasswordEdit->clear();
    StringList& user = session_.CurrentUser;
    // The server checks the password and keeps it; the reply is the person's
    // record without it and the session the function commands carry.
    std::string token;
    if (LogIn(*session_.DataServer, ui->UserEdit->text().toStdString(), password, user, token)) {
        valid = true;
        session_.FunctionServer->Session = token;
        if (IsYes(session_.UserField(pe::kAdministrator))) {
            mainWindow_->User.IsAdministrator = true;
            role = "Administrator";
        }
        if (IsYes(session_.UserField(pe::kDischargePlanner))) {
            mainWindow_->User.IsDischargePlanner = true;
            if (!role.empty()) role += ", ";
            role += "Discharge Planner";
        }
    }
    mainWindow_->PersonnelStatusLabel()->setText(QString::fromStdString(role));
    if (!valid) {
        user.clear();
        ShowMessageBox(this, LogInRefusal(*session_.DataServer), "Error");
        endProgram_();
        return;
    }
    mainWindow_->show();
    hide();
}

}  // namespace dalvero
