#include "date_edit.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>

#include "control_events.h"
#include "date_entry_rules.h"
#include "date_text.h"

namespace dalvero {

namespace {
QDate ToQDate(const CivilDate& date) { return QDate(date.year, date.month, date.day); }
CivilDate ToCivil(const QDate& date) { return {date.year(), date.month(), date.day()}; }

bool IsCommandLetter(QChar c) {
    const QChar upper = c.toUpper();
    return upper == u'D' || upper == u'E' || upper == u'F';
}
}  // namespace

cDateEdit::cDateEdit(QLineEdit* edit, QWidget* popupParent)
    : QObject(edit), edit_(edit), popupParent_(popupParent), events_(&ControlEvents::Of(edit)) {
    ownKeyPress_ = events_->KeyPress;
    ownEnter_ = events_->Enter;
    ownExit_ = events_->Exit;
    events_->KeyPress = [this](QKeyEvent& key) { return KeyPress(key); };
    events_->Enter = [this] {
        firstKey_ = true;
        ReadDate();
        if (ownEnter_) ownEnter_();
    };
    events_->Exit = [this] {
        Normalise();
        if (ownExit_) ownExit_();
    };
    // Text set by the program is normalised as typed text is; the user's own
    // typing is left alone until the field is left.
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        if (!normalising_ && !edit_->isModified()) Normalise();
    });
}

cDateEdit::~cDateEdit() {
    delete calendar_.data();
    if (events_) {
        events_->KeyPress = ownKeyPress_;
        events_->Enter = ownEnter_;
        events_->Exit = ownExit_;
    }
}

std::string cDateEdit::Value() {
    Normalise();
    return date_.isValid() ? ToYmd(ToCivil(date_)) : std::string();
}

QDate cDateEdit::Date() {
    Normalise();
    return date_;
}

QCalendarWidget* cDateEdit::ShownCalendar() const {
    return calendar_ && calendar_->isVisible() ? calendar_.data() : nullptr;
}

void cDateEdit::ReadDate() {
    const auto date = ParseDisplay(edit_->text().toStdString(), Today());
    date_ = date ? ToQDate(*date) : QDate();
}

void cDateEdit::Normalise() {
    const QString text = QString::fromStdString(NormalizeDateEntry(edit_->text().toStdString(), Today()));
    if (text != edit_->text()) {
        normalising_ = true;
        edit_->setText(text);
        normalising_ = false;
    }
    ReadDate();
}

void cDateEdit::TakeDate(const QDate& date) {
    normalising_ = true;
    edit_->setText(QString::fromStdString(ToDisplay(ToCivil(date))));
    normalising_ = false;
    date_ = date;
    calendar_->hide();
}

void cDateEdit::ShowCalendar() {
    QWidget* host = popupParent_ ? popupParent_ : edit_->parentWidget();
    if (!host) return;
    if (!calendar_) {
        calendar_ = new QCalendarWidget(host);
        calendar_->hide();
        const auto pick = [this](const QDate& date) {
            TakeDate(date);
            edit_->setFocus(Qt::OtherFocusReason);
        };
        connect(calendar_, &QCalendarWidget::clicked, this, pick);
        connect(calendar_, &QCalendarWidget::activated, this, pick);
    }
    ReadDate();
    calendar_->setSelectedDate(date_.isValid() ? date_ : QDate::currentDate());
    calendar_->adjustSize();
    calendar_->move(host->mapFromGlobal(edit_->mapToGlobal(QPoint(0, edit_->height()))));
    calendar_->raise();
    calendar_->show();
}

bool cDateEdit::KeyPress(QKeyEvent& key) {
    const auto passOn = [&] { return ownKeyPress_ && ownKeyPress_(key); };
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return passOn();
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        // The caret moves inside the text, so typing edits it from now on.
        firstKey_ = false;
        return passOn();
    case Qt::Key_Up:
    case Qt::Key_Down:
        Normalise();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ShownCalendar()) {
            TakeDate(calendar_->selectedDate());
        } else {
            Normalise();
            MoveFocusToNext(edit_);
        }
        return true;
    case Qt::Key_Escape:
        if (!ShownCalendar()) return passOn();
        calendar_->hide();
        return true;
    case Qt::Key_Backspace:
        break;
    default:
        if (key.text().isEmpty() || !key.text().at(0).isPrint()) return passOn();
        break;
    }

    const QChar typed = key.text().isEmpty() ? QChar() : key.text().at(0);
    if (typed == u'C' || typed == u'c') {
        ShowCalendar();
        return true;
    }
    // A command letter always starts a fresh command; any other first key
    // replaces the old date unless the user selected part of it.
    if (IsCommandLetter(typed) || (firstKey_ && !edit_->hasSelectedText())) edit_->clear();
    firstKey_ = false;
    return passOn();
}

}  // namespace dalvero
