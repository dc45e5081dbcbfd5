#include "dialog_seam.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>

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

}  // namespace
}  // namespace dalvero
