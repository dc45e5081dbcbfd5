#include "entry_group_keys.h"

#include <QKeyEvent>
#include <QScrollArea>
#include <QWidget>

namespace dalvero {

cEntryGroupKeys::cEntryGroupKeys(QWidget* window, std::vector<Group> groups, Choose choose)
    : QObject(window), groups_(std::move(groups)), current_(groups_.size(), 0), choose_(std::move(choose)) {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        for (QWidget* entry : groups_[g]) {
            entry->installEventFilter(this);
            entry->setFocusPolicy(Qt::ClickFocus);
        }
        if (!groups_[g].empty()) MakeCurrent(g, 0);
    }
}

cEntryGroupKeys* cEntryGroupKeys::Install(QWidget* window, std::vector<Group> groups, Choose choose) {
    return new cEntryGroupKeys(window, std::move(groups), std::move(choose));
}

void cEntryGroupKeys::FocusFirstGroup() {
    if (!groups_.empty() && !groups_.front().empty()) groups_.front()[current_.front()]->setFocus(Qt::TabFocusReason);
}

bool cEntryGroupKeys::Find(const QObject* widget, std::size_t& group, std::size_t& entry) const {
    for (group = 0; group < groups_.size(); ++group)
        for (entry = 0; entry < groups_[group].size(); ++entry)
            if (groups_[group][entry] == widget) return true;
    return false;
}

void cEntryGroupKeys::MakeCurrent(std::size_t group, std::size_t entry) {
    groups_[group][current_[group]]->setFocusPolicy(Qt::ClickFocus);
    current_[group] = entry;
    QWidget* now = groups_[group][entry];
    now->setFocusPolicy(Qt::StrongFocus);
    // A long group scrolls inside a scrolling window: both must show it.
    for (QWidget* up = now->parentWidget(); up; up = up->parentWidget())
        if (auto* pane = qobject_cast<QScrollArea*>(up)) pane->ensureWidgetVisible(now);
}

bool cEntryGroupKeys::eventFilter(QObject* watched, QEvent* event) {
    std::size_t g = 0;
    std::size_t e = 0;
    if (event->type() == QEvent::FocusIn && Find(watched, g, e)) {
        MakeCurrent(g, e);
        return false;
    }
    if (event->type() != QEvent::KeyPress || !Find(watched, g, e)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    const std::size_t last = groups_[g].size() - 1;
    std::size_t to = e;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: to = e == 0 ? 0 : e - 1; break;
    case Qt::Key_Down:
    case Qt::Key_Right: to = e == last ? last : e + 1; break;
    case Qt::Key_Home: to = 0; break;
    case Qt::Key_End: to = last; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!choose_) return false;
        choose_(groups_[g][e]);
        return true;
    default: return false;
    }
    MakeCurrent(g, to);
    groups_[g][to]->setFocus(Qt::OtherFocusReason);
    return true;
}

}  // namespace dalvero
