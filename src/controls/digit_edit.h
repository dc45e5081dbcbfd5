#pragma once
// A plain line edit made into a digits-only field shown with separators
// (phone numbers, Social Security numbers): keys type digits at the caret,
// Backspace and Delete step over the separators, pasted text is formatted
// again, and every edit of the user's is reported by `edited`.

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <string_view>

#include "digit_entry_rules.h"

class QKeyEvent;
class QLineEdit;

namespace dalvero {

class ControlEvents;

class cDigitEdit : public QObject {
    Q_OBJECT
public:
    // keypadLetters: letters type their keypad digits. The wrapper belongs to
    // the field.
    cDigitEdit(QLineEdit* edit, const DigitFormat& format, bool keypadLetters);
    ~cDigitEdit() override;

    // The field's digits, as stored.
    std::string Digits() const;
    // Shows a stored or typed number formatted; not a change by the user.
    void SetNumber(std::string_view number);

signals:
    // After each edit of the user's (typed, deleted or pasted).
    void edited();

private:
    bool KeyPress(QKeyEvent& key);
    // An edit of the user's, applied through the field so its own change
    // handlers see it.
    void Apply(const DigitFieldText& result);
    void Reformat();

    QLineEdit* edit_;
    DigitFormat format_;
    bool keypadLetters_;
    QPointer<ControlEvents> events_;
    std::function<bool(QKeyEvent&)> ownKeyPress_;
    bool applying_ = false;
};

}  // namespace dalvero
