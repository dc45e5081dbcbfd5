#include "time_edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTime>

#include "control_events.h"
#include "field_tag.h"
#include "time_entry_rules.h"

namespace dalvero {

namespace {
ClockTime Now() {
    const QTime now = QTime::currentTime();
    return {now.hour(), now.minute()};
}
}  // namespace

cTimeEdit::cTimeEdit(QLineEdit* edit, bool twelveHour)
    : QObject(edit), edit_(edit), twelveHour_(twelveHour), events_(&ControlEvents::Of(edit)) {
    ownKeyPress_ = events_->KeyPress;
    ownExit_ = events_->Exit;
    events_->KeyPress = [this](QKeyEvent& key) {
        if (!key.text().isEmpty()) SetFieldChanged(edit_, true);
        return ownKeyPress_ && ownKeyPress_(key);
    };
    events_->Exit = [this] {
        Normalise();
        if (ownExit_) ownExit_();
    };
}

cTimeEdit::~cTimeEdit() {
    if (events_) {
        events_->KeyPress = ownKeyPress_;
        events_->Exit = ownExit_;
    }
}

std::string cTimeEdit::Value() const {
    const std::string time = NormalizeTimeEntry(edit_->text().toStdString(), Now(), false);
    return time.empty() ? time : time.substr(0, 2) + time.substr(3, 2);
}

void cTimeEdit::Normalise() {
    const QString text = QString::fromStdString(NormalizeTimeEntry(edit_->text().toStdString(), Now(), twelveHour_));
    if (text != edit_->text()) edit_->setText(text);
}

}  // namespace dalvero
