#pragma once
// One handler per event and control, in the way the screens chain them: a
// wrapper that takes an event over keeps the handler it found and calls it
// where its rules say so. The slots are served by one event filter, installed
// on the control before any wrapper, so each chain runs in a known order.

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace dalvero {

class ControlEvents : public QObject {
    Q_OBJECT
public:
    // The slots of `control`, made on first use and freed with the control.
    static ControlEvents& Of(QWidget* control);

    // Returns true when it handled the key, which then never reaches the control.
    std::function<bool(QKeyEvent&)> KeyPress;
    // Focus gained and lost by the user's moves; a window deactivating or a
    // pop-up opening is neither.
    std::function<void()> Enter;
    std::function<void()> Exit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ControlEvents(QWidget* control);

    // The control's class: a control whose class is gone is being freed, and
    // the focus it loses then is no exit.
    const QMetaObject* controlClass_;
};

// Moves the focus from `control` to the next control of its window that takes
// focus by tabbing.
void MoveFocusToNext(QWidget* control);

}  // namespace dalvero
