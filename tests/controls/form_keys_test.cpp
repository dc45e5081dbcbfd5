// The keys every form shares, typed into a shown window of real controls.
#include "form_keys.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "image_button.h"
#include "widget_window.h"

namespace dalvero {
namespace {

using test::WidgetWindow;

TEST(FormKeys, ReturnClicksTheDefaultButtonOnlyWhenNoControlUsedIt) {
    WidgetWindow form;
    auto* edit = form.Add<QLineEdit>();
    auto* memo = form.Add<QPlainTextEdit>();
    auto* ok = form.Add<QPushButton>("OK");
    int escapes = 0;
    cFormKeys::Of(&form).SetDefaultButton(ok);
    cFormKeys::Of(&form).SetEscapeAction([&escapes] { ++escapes; });
    ASSERT_TRUE(form.Activate());
    QSignalSpy clicks(ok, &QPushButton::clicked);

    WidgetWindow::Focus(edit);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks.count(), 2);
    // A memo takes Return as a new line.
    WidgetWindow::Focus(memo);
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), "\n");
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    // A hidden default button is not pressed.
    ok->hide();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);

    // An image button as the default.
    auto* image = form.Add<QLabel>("Save");
    cImageButton* save = cImageButton::Painted(image, ImageButtonArt::Shape::Button);
    QApplication::processEvents();
    QSignalSpy saves(save, &cImageButton::clicked);
    cFormKeys::Of(&form).SetDefaultButton(image);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(saves.count(), 1);
}

TEST(FormKeys, TabLeavesMemosAndReachesImageButtonsWhichSpaceClicks) {
    WidgetWindow form;
    auto* memo = form.Add<QPlainTextEdit>();
    auto* image = form.Add<QLabel>("Close Case");
    cImageButton* button = cImageButton::Painted(image, ImageButtonArt::Shape::Button);
    auto* edit = form.Add<QLineEdit>();
    MakeMemosLeaveOnTab(&form);
    ASSERT_TRUE(form.Activate());
    QSignalSpy clicks(button, &cImageButton::clicked);

    WidgetWindow::Focus(memo);
    QTest::keyClicks(memo, "Oxygen");
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->toPlainText(), "Oxygen");
    ASSERT_EQ(QApplication::focusWidget(), image);
    QTest::keyClick(image, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(image, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Backtab);
    QTest::keyClick(image, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), memo);
    // A mouse click does not take the focus from where the user types.
    QTest::mouseClick(image, Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(QApplication::focusWidget(), memo);
}

}  // namespace
}  // namespace dalvero
