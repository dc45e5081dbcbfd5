#include "focus_frame.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace dalvero {

namespace {
constexpr int kWidth = 2;
const QColor kColour(255, 140, 0);

// Paints the frame only; clicks go through it to what lies beneath.
class FramePainter : public QWidget {
public:
    explicit FramePainter(QWidget* parent) : QWidget(parent) {
        setObjectName("FocusFrame");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintFocusMark(painter, rect());
    }
};
}  // namespace

void PaintFocusMark(QPainter& painter, const QRect& area) {
    painter.save();
    QPen pen(kColour, kWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(area).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    painter.restore();
}

cFocusFrame::cFocusFrame(QWidget* window) : QObject(window), window_(window) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
    Follow(QApplication::focusWidget());
}

cFocusFrame* cFocusFrame::Install(QWidget* window) {
    if (auto* existing = window->findChild<cFocusFrame*>(QString(), Qt::FindDirectChildrenOnly)) return existing;
    return new cFocusFrame(window);
}

void cFocusFrame::Follow(QWidget* focused) {
    if (target_) target_->removeEventFilter(this);
    target_ = focused && focused->window() == window_ && focused->parentWidget() ? focused : nullptr;
    if (!target_) {
        if (frame_) frame_->hide();
        return;
    }
    target_->installEventFilter(this);
    Place();
}

void cFocusFrame::Place() {
    if (!target_ || !target_->isVisible()) {
        if (frame_) frame_->hide();
        return;
    }
    QWidget* parent = target_->parentWidget();
    if (!frame_) frame_ = new FramePainter(parent);
    if (frame_->parentWidget() != parent) frame_->setParent(parent);
    frame_->setGeometry(target_->geometry().adjusted(-kWidth, -kWidth, kWidth, kWidth));
    frame_->show();
    frame_->raise();
}

bool cFocusFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            Place();
            break;
        default:
            break;
        }
    }
    return false;
}

}  // namespace dalvero
