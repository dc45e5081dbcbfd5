#pragma once
// A shown, active window of plain controls for tests that type into them and
// move the focus as a user does.

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace dalvero::test {

class WidgetWindow : public QWidget {
public:
    WidgetWindow() { new QVBoxLayout(this); }

    template <typename Control, typename... Args>
    Control* Add(Args&&... args) {
        auto* control = new Control(std::forward<Args>(args)..., this);
        layout()->addWidget(control);
        return control;
    }

    // Call after adding the controls.
    bool Activate() {
        show();
        activateWindow();
        QApplication::setActiveWindow(this);
        const bool active = QTest::qWaitForWindowActive(this);
        // Each test moves the focus itself, as the user would.
        if (QWidget* focused = focusWidget()) focused->clearFocus();
        return active;
    }

    // The user clicks into `control`.
    static void Focus(QWidget* control) {
        control->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
};

}  // namespace dalvero::test
