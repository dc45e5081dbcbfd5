#include "dialog_seam.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "focus_frame.h"
#include "gui_keyboard.h"
#include "scripted_dialogs.h"

namespace dalvero {
namespace {

// Keys typed into a dialog the seam shows, as a user does.
TEST(DialogSeam, DialogKeysTabLeavesTheMemoReturnAcceptsEscapeRejects) {
    test::ScriptedDialogs dialogs;
    QDialog dialog;
    auto* memo = new QPlainTextEdit(&dialog);
    auto* ok = new QPushButton("OK", &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(memo);
    layout->addWidget(ok);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialogs.InDialog([&](QDialog& d) {
        test::Activate(&d);
        memo->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(memo, "Needs a walker");
        QTest::keyClick(memo, Qt::Key_Tab);
        EXPECT_EQ(memo->toPlainText(), "Needs a walker");
        EXPECT_EQ(QApplication::focusWidget(), ok);
        EXPECT_EQ(d.findChild<cFocusFrame*>()->Target(), ok);
        QTest::keyClick(memo, Qt::Key_Backtab);
        QTest::keyClick(memo, Qt::Key_Return);  // a new line, not OK
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(ok, Qt::Key_Return);
    });
    dialogs.InDialog([&](QDialog& d) {
        test::Activate(&d);
        QTest::keyClick(memo, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });

    EXPECT_EQ(ExecDialog(dialog), QDialog::Accepted);
    EXPECT_EQ(memo->toPlainText(), "Needs a walker\n");
    EXPECT_EQ(ExecDialog(dialog), QDialog::Rejected);
}

}  // namespace
}  // namespace dalvero
