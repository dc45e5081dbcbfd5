#include "startup.h"

#include <QApplication>

#include <exception>
#include <iostream>
#include <string_view>

#include "client_session.h"
#include "client_style.h"
#include "dialog_seam.h"
#include "login_form.h"
#include "main_window.h"

namespace dalvero {

namespace {
// An error no handler caught is shown, and the message loop goes on.
class cClientApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowMessageBox(nullptr, error.what(), applicationDisplayName().toStdString(), QMessageBox::Ok,
                           QMessageBox::Critical);
        }
        return false;
    }
};
}  // namespace

int RunClient(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << kVersionLineStart << DALVERO_VERSION << std::endl;
        return 0;
    }
    cClientApplication app(argc, argv);
    QApplication::setApplicationName("Dalvero");
    ApplyClientStyle(app);
    InstallUiHooks();

    ClientSession session;
    session.ApplicationFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
    TLoginForm login(session, QCoreApplication::applicationFilePath().toStdString(), [] { QCoreApplication::quit(); });
    TForm1 mainWindow(session);
    login.AttachMainWindow(mainWindow);
    login.show();
    return QApplication::exec();
}

}  // namespace dalvero
