#pragma once
// Working a real window by keyboard in a test: make it the active window,
// follow the focus and check that the focus frame marks it.

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

#include "focus_frame.h"

namespace dalvero::test {

inline void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

inline QWidget* Focused() { return QApplication::focusWidget(); }
inline std::string FocusedName() { return Focused() ? Focused()->objectName().toStdString() : "(none)"; }

// Presses Tab until `target` has the focus; false when a whole round missed it.
inline bool TabTo(const QWidget* target) {
    for (int i = 0; i < 40 && Focused() && Focused() != target; ++i) QTest::keyClick(Focused(), Qt::Key_Tab);
    return Focused() == target;
}

// The focus frame of `window` is on view around `control`.
inline void ExpectFramed(QWidget* window, QWidget* control) {
    const cFocusFrame* focus = window->findChild<cFocusFrame*>();
    ASSERT_NE(focus, nullptr);
    ASSERT_EQ(focus->Target(), control);
    const QWidget* frame = focus->Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->parentWidget(), control->parentWidget());
    EXPECT_TRUE(frame->geometry().contains(control->geometry()));
    EXPECT_FALSE(control->geometry().contains(frame->geometry()));
}

}  // namespace dalvero::test
