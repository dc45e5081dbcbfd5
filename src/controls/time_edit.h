#pragma once
// A plain line edit made into the time field: typing marks the field changed,
// leaving it writes the loose input as "hh:nn" (with am/pm in 12-hour form).

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

class QKeyEvent;
class QLineEdit;

namespace dalvero {

class ControlEvents;

class cTimeEdit : public QObject {
    Q_OBJECT
public:
    // The wrapper belongs to the field.
    cTimeEdit(QLineEdit* edit, bool twelveHour);
    ~cTimeEdit() override;

    // Hours and minutes of the normalised text as "hhnn" on the 24-hour
    // clock; empty when the field holds no time.
    std::string Value() const;

private:
    void Normalise();

    QLineEdit* edit_;
    bool twelveHour_;
    QPointer<ControlEvents> events_;
    std::function<bool(QKeyEvent&)> ownKeyPress_;
    std::function<void()> ownExit_;
};

}  // namespace dalvero
