#include "phone_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "control_events.h"
#include "field_tag.h"
#include "phone_entry_rules.h"

namespace dalvero {

cPhoneEdit::cPhoneEdit(QLineEdit* edit) : QObject(edit), edit_(edit), events_(&ControlEvents::Of(edit)) {
    ownKeyPress_ = events_->KeyPress;
    events_->KeyPress = [this](QKeyEvent& key) { return KeyPress(key); };
    // Whatever reaches the text past the key handler (a paste from the
    // keyboard, the context menu or a drop) is reformatted as a whole.
    connect(edit_, &QLineEdit::textEdited, this, [this] {
        if (!applying_) Reformat();
    });
}

cPhoneEdit::~cPhoneEdit() {
    if (events_) events_->KeyPress = ownKeyPress_;
}

std::string cPhoneEdit::Digits() const { return PhoneDigits(edit_->text().toLatin1().toStdString()); }

void cPhoneEdit::SetNumber(std::string_view number) {
    edit_->setText(QString::fromStdString(FormatPhone(PhoneDigits(number))));
}

void cPhoneEdit::Apply(const PhoneText& result) {
    applying_ = true;
    edit_->selectAll();
    edit_->insert(QString::fromStdString(result.text));
    edit_->setCursorPosition(static_cast<int>(result.caret));
    applying_ = false;
    SetFieldChanged(edit_, true);
}

void cPhoneEdit::Reformat() {
    Apply(PhoneReformat(edit_->text().toLatin1().toStdString(), static_cast<std::size_t>(edit_->cursorPosition())));
}

bool cPhoneEdit::KeyPress(QKeyEvent& key) {
    if (key.matches(QKeySequence::Copy) || key.matches(QKeySequence::Paste)) return ownKeyPress_ && ownKeyPress_(key);
    const auto selStart =
        static_cast<std::size_t>(edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition());
    const auto selLength = static_cast<std::size_t>(edit_->selectedText().size());
    // Latin-1 keeps one byte per character, so positions match the field's.
    const std::string text = edit_->text().toLatin1().toStdString();
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        MoveFocusToNext(edit_);
        return true;
    case Qt::Key_Backspace:
        Apply(PhoneBackspace(text, selStart, selLength));
        return true;
    case Qt::Key_Delete:
        Apply(PhoneDelete(text, selStart, selLength));
        return true;
    default:
        break;
    }
    // Keys that type nothing (caret moves, Tab, Shift) keep their own meaning;
    // every typed character is taken here.
    if (key.text().isEmpty()) return ownKeyPress_ && ownKeyPress_(key);
    const char typed = key.text().at(0).toLatin1();
    const char digit = (typed >= '0' && typed <= '9') ? typed : KeypadDigit(typed);
    if (digit && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        Apply(PhoneInsertDigit(text, selStart, selLength, digit));
    return true;
}

}  // namespace dalvero
