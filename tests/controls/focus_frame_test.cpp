// The frame that marks the focused control of one window.
#include "focus_frame.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "widget_window.h"

namespace dalvero {
namespace {

using test::WidgetWindow;

TEST(FocusFrame, FollowsTheFocusedControlOfItsWindowOnly) {
    WidgetWindow form;
    auto* first = form.Add<QLineEdit>();
    auto* box = form.Add<QGroupBox>("Inside");
    auto* inner = new QLineEdit(box);
    new QVBoxLayout(box);
    box->layout()->addWidget(inner);
    cFocusFrame* focus = cFocusFrame::Install(&form);
    EXPECT_EQ(cFocusFrame::Install(&form), focus);
    ASSERT_TRUE(form.Activate());

    const auto framed = [focus](QWidget* control) {
        const QWidget* frame = focus->Frame();
        return focus->Target() == control && frame && frame->isVisible() &&
               frame->parentWidget() == control->parentWidget() &&
               frame->geometry() == control->geometry().adjusted(-2, -2, 2, 2);
    };
    WidgetWindow::Focus(first);
    EXPECT_TRUE(framed(first));
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(framed(inner));
    // The frame keeps to its control when the layout moves it.
    form.resize(form.width() + 80, form.height() + 60);
    QApplication::processEvents();
    EXPECT_TRUE(framed(inner));
    // Hiding the control passes the focus on, and the frame with it.
    inner->hide();
    ASSERT_NE(QApplication::focusWidget(), inner);
    EXPECT_TRUE(framed(QApplication::focusWidget()));

    // Another window's focus is not this window's business.
    WidgetWindow other;
    auto* elsewhere = other.Add<QLineEdit>();
    ASSERT_TRUE(other.Activate());
    WidgetWindow::Focus(elsewhere);
    EXPECT_EQ(focus->Target(), nullptr);
    EXPECT_FALSE(focus->Frame()->isVisible());
}

}  // namespace
}  // namespace dalvero
