#include "tour.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

namespace dalvero::tour {

namespace {
// Lets layouts, paints and queued loads settle before a picture is taken.
void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}
}  // namespace

void TourContext::Shot(QWidget& window, const std::string& name) const {
    Settle();
    const auto path = QString::fromStdString(folder_ + "/" + name + ".png");
    if (!window.grab().save(path)) throw std::runtime_error("could not save " + path.toStdString());
}

void TourContext::ShotModal(const std::function<void()>& open, const std::string& name) const {
    bool taken = false;
    auto* poll = new QTimer;
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, [this, poll, name, &taken] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        poll->stop();
        Shot(*dialog, name);
        taken = true;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);
    });
    poll->start();
    open();
    poll->deleteLater();
    if (!taken) throw std::runtime_error("no dialog came up for " + name);
}

}  // namespace dalvero::tour
