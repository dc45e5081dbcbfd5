// dalvero-screenshots FOLDER: logs the client in as DALVERO_TOUR_USER with
// DALVERO_TOUR_PASSWORD against the servers of the Dalvero.ini beside the
// executable and saves each registered window into FOLDER. With
// DALVERO_TOUR_ADMIN set it takes only the administrator's pictures (steps
// named "admin ..."), for a log-in of the demo administrator; without it,
// every other picture.

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <exception>
#include <iostream>

#include "client_session.h"
#include "client_style.h"
#include "dialog_seam.h"
#include "login_form.h"
#include "main_window.h"
#include "tour_steps.h"

int main(int argc, char** argv) {
    using namespace dalvero;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dalvero");
    ApplyClientStyle(app);
    const char* user = std::getenv("DALVERO_TOUR_USER");
    const char* password = std::getenv("DALVERO_TOUR_PASSWORD");
    if (argc != 2 || !user || !password) {
        std::cerr << "usage: DALVERO_TOUR_USER=... DALVERO_TOUR_PASSWORD=... dalvero-screenshots FOLDER\n";
        return 2;
    }
    InstallUiHooks();

    ClientSession session;
    session.ApplicationFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
    int ended = 0;
    TLoginForm login(session, QCoreApplication::applicationFilePath().toStdString(), [&ended] { ++ended; });
    TForm1 mainWindow(session);
    login.AttachMainWindow(mainWindow);
    tour::TourContext context(session, mainWindow, argv[1]);
    try {
        login.show();
        login.FormPaint();
        if (ended) throw std::runtime_error("the client could not connect to the servers");
        login.findChild<QLineEdit*>("UserEdit")->setText(QString::fromUtf8(user));
        context.Shot(login, "login");
        login.findChild<QLineEdit*>("PasswordEdit")->setText(QString::fromUtf8(password));
        login.LoginButtonClick();
        if (ended || !mainWindow.isVisible()) throw std::runtime_error("the tour's log-in failed");
        const bool administrator = std::getenv("DALVERO_TOUR_ADMIN") != nullptr;
        for (const auto& step : tour::StepsInOrder()) {
            if (step.name.starts_with("admin ") != administrator) continue;
            std::cout << "screenshots: " << step.name << std::endl;
            step.step(context);
        }
    } catch (const std::exception& error) {
        std::cerr << "dalvero-screenshots: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
