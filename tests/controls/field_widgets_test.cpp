#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDate>
#include <QLineEdit>
#include <QTest>

#include "control_events.h"
#include "date_edit.h"
#include "field_tag.h"
#include "form_keys.h"
#include "phone_edit.h"
#include "time_edit.h"
#include "widget_window.h"

namespace dalvero {
namespace {

using test::WidgetWindow;

class FieldWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        first_ = window_.Add<QLineEdit>();
        second_ = window_.Add<QLineEdit>();
        ASSERT_TRUE(window_.Activate());
    }

    WidgetWindow window_;
    QLineEdit* first_ = nullptr;
    QLineEdit* second_ = nullptr;
};

TEST_F(FieldWidgetsTest, DateTextSetByTheProgramIsNormalised) {
    auto* date = new cDateEdit(first_);
    first_->setText("122505");
    EXPECT_EQ(first_->text(), "12/25/2005");
    EXPECT_EQ(date->Value(), "20051225");
    EXPECT_EQ(date->Date(), QDate(2005, 12, 25));
    first_->setText("13/45/2005");
    EXPECT_EQ(first_->text() + QString::fromStdString(date->Value()), "");
    EXPECT_TRUE(date->Date().isNull());
}

TEST_F(FieldWidgetsTest, DateFirstKeyReplacesCaretKeysEditCommandsStartFresh) {
    new cDateEdit(first_);
    first_->setText("12/25/2005");
    WidgetWindow::Focus(first_);
    QTest::keyClicks(first_, "010106");
    EXPECT_EQ(first_->text(), "010106");
    QTest::keyClick(first_, Qt::Key_Return);
    EXPECT_EQ(first_->text(), "01/01/2006");
    EXPECT_TRUE(second_->hasFocus());

    WidgetWindow::Focus(first_);
    QTest::keyClick(first_, Qt::Key_Left);
    QTest::keyClick(first_, '9');
    EXPECT_EQ(first_->text(), "01/01/20096");
    WidgetWindow::Focus(second_);
    EXPECT_EQ(first_->text(), "01/01/2009");  // cut to ten characters

    // A command letter empties the field even after a caret key.
    WidgetWindow::Focus(first_);
    QTest::keyClick(first_, Qt::Key_Left);
    QTest::keyClicks(first_, "d-1");
    EXPECT_EQ(first_->text(), "d-1");
    QTest::keyClick(first_, Qt::Key_Up);
    EXPECT_EQ(first_->text(), QDate::currentDate().addDays(-1).toString("MM/dd/yyyy"));
}

TEST_F(FieldWidgetsTest, DateCalendarOpensOnTheFieldsDateAndEnterTakesIt) {
    auto* date = new cDateEdit(first_);
    first_->setText("12/25/2005");
    WidgetWindow::Focus(first_);
    QTest::keyClick(first_, 'c');
    QCalendarWidget* calendar = date->ShownCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(first_->text(), "12/25/2005");
    EXPECT_EQ(calendar->selectedDate(), QDate(2005, 12, 25));
    EXPECT_GE(calendar->y(), first_->geometry().bottom());

    calendar->setSelectedDate(QDate(2006, 1, 2));
    QTest::keyClick(first_, Qt::Key_Return);
    EXPECT_EQ(first_->text(), "01/02/2006");
    EXPECT_EQ(date->ShownCalendar(), nullptr);
    EXPECT_TRUE(first_->hasFocus());

    QTest::keyClick(first_, 'C');
    ASSERT_NE(date->ShownCalendar(), nullptr);
    QTest::keyClick(first_, Qt::Key_Escape);
    EXPECT_EQ(date->ShownCalendar(), nullptr);
    EXPECT_EQ(first_->text(), "01/02/2006");

    // An empty field opens on today.
    first_->clear();
    QTest::keyClick(first_, 'c');
    ASSERT_NE(date->ShownCalendar(), nullptr);
    EXPECT_EQ(date->ShownCalendar()->selectedDate(), QDate::currentDate());
}

TEST_F(FieldWidgetsTest, DateFieldsOwnExitHandlerRunsAfterNormalisingAndComesBack) {
    std::string seen;
    ControlEvents::Of(first_).Exit = [&] { seen = first_->text().toStdString(); };
    auto* date = new cDateEdit(first_);
    WidgetWindow::Focus(first_);
    QTest::keyClicks(first_, "122505");
    WidgetWindow::Focus(second_);
    EXPECT_EQ(seen, "12/25/2005");

    delete date;
    WidgetWindow::Focus(first_);
    QTest::keyClicks(first_, "c");  // no calendar, no clearing, no normalising now
    WidgetWindow::Focus(second_);
    EXPECT_EQ(seen, "12/25/2005c");

    // A field freed with the focus runs no exit handler.
    int exits = 0;
    ControlEvents::Of(first_).Exit = [&] { ++exits; };
    new cDateEdit(first_);
    WidgetWindow::Focus(first_);
    delete first_;
    EXPECT_EQ(exits, 0);
}

TEST_F(FieldWidgetsTest, TimeFieldMarksTheChangeAndNormalisesOnExit) {
    auto* time = new cTimeEdit(first_, true);
    WidgetWindow::Focus(first_);
    EXPECT_FALSE(IsFieldChanged(first_));
    QTest::keyClicks(first_, "2p");
    EXPECT_TRUE(IsFieldChanged(first_));
    WidgetWindow::Focus(second_);
    EXPECT_EQ(first_->text(), "02:00 pm");
    EXPECT_EQ(time->Value(), "1400");
    first_->setText("25");
    EXPECT_EQ(time->Value(), "");
}

TEST_F(FieldWidgetsTest, PhoneTypingFormatsAndTakesLettersAsDigits) {
    auto* phone = new cPhoneEdit(first_);
    WidgetWindow::Focus(first_);
    QTest::keyClicks(first_, "800flowers!");
    EXPECT_EQ(first_->text(), "(800) 356-9377");
    EXPECT_EQ(phone->Digits(), "8003569377");
    EXPECT_TRUE(IsFieldChanged(first_));

    QTest::keyClick(first_, Qt::Key_Home);
    QTest::keyClick(first_, Qt::Key_Delete);
    EXPECT_EQ(first_->text(), "(003) 569-377");
    EXPECT_EQ(first_->cursorPosition(), 1);
    QTest::keyClick(first_, Qt::Key_End);
    QTest::keyClick(first_, Qt::Key_Backspace);
    EXPECT_EQ(first_->text(), "(003) 569-37");

    QTest::keyClick(first_, Qt::Key_Return);
    EXPECT_TRUE(second_->hasFocus());
}

TEST_F(FieldWidgetsTest, PhonePasteIsReformattedAsAWhole) {
    auto* phone = new cPhoneEdit(first_);
    QApplication::clipboard()->setText("(555) 123-4567 x89");
    WidgetWindow::Focus(first_);
    QTest::keyClick(first_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(first_->text(), "(555) 123-4567 x89");
    EXPECT_EQ(phone->Digits(), "555123456789");
    EXPECT_TRUE(IsFieldChanged(first_));

    SetFieldChanged(first_, false);
    phone->SetNumber("8005551234");
    EXPECT_EQ(first_->text(), "(800) 555-1234");
    EXPECT_FALSE(IsFieldChanged(first_));
}

TEST_F(FieldWidgetsTest, DigitFieldsLeaveEditingAndFocusKeysToTheLineEdit) {
    auto* phone = new cPhoneEdit(first_);
    WidgetWindow::Focus(first_);
    QTest::keyClicks(first_, "61455501661234567890");
    EXPECT_EQ(phone->Digits(), "6145550166123456");  // the extension stops at six digits
    QTest::keyClick(first_, Qt::Key_Home);
    EXPECT_EQ(first_->cursorPosition(), 0);
    QTest::keyClick(first_, Qt::Key_End);
    EXPECT_EQ(first_->cursorPosition(), first_->text().size());

    QTest::keyClick(first_, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(first_->selectedText(), first_->text());
    SetFieldChanged(first_, false);
    QTest::keyClick(first_, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(first_->text(), "");
    EXPECT_TRUE(IsFieldChanged(first_));
    EXPECT_EQ(QApplication::clipboard()->text(), "(614) 555-0166 x123456");
    QTest::keyClick(first_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(phone->Digits(), "6145550166123456");

    int escapes = 0;
    cFormKeys::Of(&window_).SetEscapeAction([&] { ++escapes; });
    QTest::keyClick(first_, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    QTest::keyClick(first_, Qt::Key_Tab);
    EXPECT_TRUE(second_->hasFocus());
    QTest::keyClick(second_, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(first_->hasFocus());
}

}  // namespace
}  // namespace dalvero
