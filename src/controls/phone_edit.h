#pragma once
// A plain line edit made into the phone field: only digits are kept (letters
// typed become their keypad digits) and the number is shown formatted while
// it is typed, pasted or deleted.

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <string_view>

class QKeyEvent;
class QLineEdit;

namespace dalvero {

class ControlEvents;
struct PhoneText;

class cPhoneEdit : public QObject {
    Q_OBJECT
public:
    // The wrapper belongs to the field.
    explicit cPhoneEdit(QLineEdit* edit);
    ~cPhoneEdit() override;

    // The number's digits, as stored.
    std::string Digits() const;
    // Shows a stored or typed number formatted; not a change by the user.
    void SetNumber(std::string_view number);

private:
    bool KeyPress(QKeyEvent& key);
    // An edit of the user's, applied through the field so its own change
    // handlers see it.
    void Apply(const PhoneText& result);
    void Reformat();

    QLineEdit* edit_;
    QPointer<ControlEvents> events_;
    std::function<bool(QKeyEvent&)> ownKeyPress_;
    bool applying_ = false;
};

}  // namespace dalvero
