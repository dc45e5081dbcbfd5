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
#include "scripted_dialogs.h"
#include "interaction_hooks.h"

namespace dalvero {
namespace {

TEST(DialogSeam, MessageBoxesAreAnsweredAndRecorded) {
    test::ScriptedDialogs dialogs;
    dialogs.Answer(QMessageBox::No);
    dialogs.Answer(QMessageBox::Ok);
    EXPECT_EQ(ShowMessageBox(nullptr, "Are you sure you want to delete?", "Warning", QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Warning),
              QMessageBox::No);
    // The data layer's messages go through the seam too.
    InstallUiHooks();
    ShowMessage("Unable to connect to data server", "Error");
    SetUiHooks({});
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(dialogs.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(dialogs.shown[1].text, "Unable to connect to data server");
    EXPECT_EQ(dialogs.shown[1].caption, "Error");
    EXPECT_EQ(dialogs.shown[1].buttons, QMessageBox::Ok);
}

TEST(DialogSeam, DialogsRunShownAndEndAsTheResponderLeavesThem) {
    test::ScriptedDialogs dialogs;
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    bool shownWhenAnswered = false;
    dialogs.InDialog([&](QDialog& d) {
        shownWhenAnswered = d.isVisible();
        edit->setText("typed");
        d.accept();
    });
    dialogs.InDialog([](QDialog& d) { d.done(7); });
    dialogs.InDialog([](QDialog&) {});  // walks away: the dialog is rejected

    EXPECT_EQ(ExecDialog(dialog), QDialog::Accepted);
    EXPECT_TRUE(shownWhenAnswered);
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ExecDialog(dialog), 7);
    EXPECT_EQ(ExecDialog(dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

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
    const auto activate = [](QDialog& d) {
        QApplication::setActiveWindow(&d);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    };
    dialogs.InDialog([&](QDialog& d) {
        activate(d);
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
        activate(d);
        QTest::keyClick(memo, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });

    EXPECT_EQ(ExecDialog(dialog), QDialog::Accepted);
    EXPECT_EQ(memo->toPlainText(), "Needs a walker\n");
    EXPECT_EQ(ExecDialog(dialog), QDialog::Rejected);
}

}  // namespace
}  // namespace dalvero
