#pragma once
// A plain line edit made into the date field: typed forms and the D, E and F
// commands are normalised to "mm/dd/yyyy", "C" opens a calendar under the
// field, Enter takes the calendar's date or moves on to the next field.

#include <QDate>
#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

class QCalendarWidget;
class QKeyEvent;
class QLineEdit;
class QWidget;

namespace dalvero {

class ControlEvents;

class cDateEdit : public QObject {
    Q_OBJECT
public:
    // The calendar is made on first use on `popupParent`, or on the field's
    // parent when none is given. The wrapper belongs to the field; freeing it
    // gives the field its own key and focus handlers back.
    explicit cDateEdit(QLineEdit* edit, QWidget* popupParent = nullptr);
    ~cDateEdit() override;

    // "yyyymmdd" after normalising the text; empty when it holds no date.
    std::string Value();
    // The date after normalising the text; null when none.
    QDate Date();
    // The pop-up calendar when it is showing, else null.
    QCalendarWidget* ShownCalendar() const;

private:
    bool KeyPress(QKeyEvent& key);
    void Normalise();
    void ReadDate();
    void ShowCalendar();
    void TakeDate(const QDate& date);

    QLineEdit* edit_;
    QWidget* popupParent_;
    QPointer<ControlEvents> events_;
    std::function<bool(QKeyEvent&)> ownKeyPress_;
    std::function<void()> ownEnter_;
    std::function<void()> ownExit_;
    QPointer<QCalendarWidget> calendar_;
    bool firstKey_ = false;
    bool normalising_ = false;
    QDate date_;
};

}  // namespace dalvero
