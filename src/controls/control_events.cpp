#include "control_events.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace dalvero {

namespace {
bool IsUserFocusMove(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
}  // namespace

ControlEvents::ControlEvents(QWidget* control) : QObject(control), controlClass_(control->metaObject()) {
    control->installEventFilter(this);
}

ControlEvents& ControlEvents::Of(QWidget* control) {
    if (auto* existing = control->findChild<ControlEvents*>(QString(), Qt::FindDirectChildrenOnly)) return *existing;
    return *new ControlEvents(control);
}

bool ControlEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched->metaObject() != controlClass_) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return KeyPress && KeyPress(*static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        if (Enter && IsUserFocusMove(event)) Enter();
        break;
    case QEvent::FocusOut:
        if (Exit && IsUserFocusMove(event)) Exit();
        break;
    default:
        break;
    }
    return false;
}

void MoveFocusToNext(QWidget* control) {
    for (QWidget* next = control->nextInFocusChain(); next && next != control; next = next->nextInFocusChain()) {
        if (next->window() == control->window() && next->isVisible() && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

}  // namespace dalvero
