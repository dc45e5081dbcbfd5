#include "digit_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "control_events.h"
#include "field_tag.h"
#include "phone_entry_rules.h"

namespace dalvero {

cDigitEdit::cDigitEdit(QLineEdit* edit, const DigitFormat& format, bool keypadLetters)
    : QObject(edit), edit_(edit), format_(format), keypadLetters_(keypadLetters),
      events_(&ControlEvents::Of(edit)) {
    ownKeyPress_ = events_->KeyPress;
    events_->KeyPress = [this](QKeyEvent& key) { return KeyPress(key); };
    // Whatever reaches the text past the key handler (a paste from the
    // keyboard, the context menu or a drop) is reformatted as a whole.
    connect(edit_, &QLineEdit::textEdited, this, [this] {
        if (!applying_) Reformat();
    });
}

cDigitEdit::~cDigitEdit() {
    if (events_) events_->KeyPress = ownKeyPress_;
}

std::string cDigitEdit::Digits() const { return format_.digits(edit_->text().toLatin1().toStdString()); }

void cDigitEdit::SetNumber(std::string_view number) {
    edit_->setText(QString::fromStdString(DigitReformat(format_, number, 0).text));
}

void cDigitEdit::Apply(const DigitFieldText& result) {
    applying_ = true;
    edit_->selectAll();
    edit_->insert(QString::fromStdString(result.text));
    edit_->setCursorPosition(static_cast<int>(result.caret));
    applying_ = false;
    SetFieldChanged(edit_, true);
    emit edited();
}

void cDigitEdit::Reformat() {
    Apply(DigitReformat(format_, edit_->text().toLatin1().toStdString(),
                        static_cast<std::size_t>(edit_->cursorPosition())));
}

bool cDigitEdit::KeyPress(QKeyEvent& key) {
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
        Apply(DigitBackspace(format_, text, selStart, selLength));
        return true;
    case Qt::Key_Delete:
        Apply(DigitDelete(format_, text, selStart, selLength));
        return true;
    default:
        break;
    }
    // Keys that type no character (caret moves, Tab, Escape, shortcuts such
    // as Ctrl+A or Ctrl+X) keep their meaning in any line edit: what they
    // change in the text comes back through textEdited and is reformatted.
    const QString typed = key.text();
    if (typed.isEmpty() || !typed.at(0).isPrint() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return ownKeyPress_ && ownKeyPress_(key);
    const char c = typed.at(0).toLatin1();
    const char digit = (c >= '0' && c <= '9') ? c : keypadLetters_ ? KeypadDigit(c) : '\0';
    if (digit) Apply(DigitInsert(format_, text, selStart, selLength, digit));
    return true;
}

}  // namespace dalvero
