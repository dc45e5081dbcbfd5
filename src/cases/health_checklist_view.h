#pragma once
// The health check-list's controls, made from its table: one group box per
// group, each entry a control named as stored. Editable, a group's "N/A" and
// its other entries exclude each other and ticked entries are drawn bold.

#include <QWidget>

#include <vector>

#include "health_checklist.h"

class QAbstractButton;
class QTableWidget;

namespace dalvero {

class cHealthChecklistView : public QWidget {
    Q_OBJECT
public:
    cHealthChecklistView(bool editable, QWidget* parent = nullptr);

    // Shows detail; every entry it does not name is cleared.
    void SetDetail(const HealthDetail& detail);
    HealthDetail Detail() const;

signals:
    // The user changed an entry.
    void changed();

private:
    struct Group {
        const HealthGroup* table;
        std::vector<QWidget*> controls;  // parallel to table->entries
    };
    QWidget* MakeGroup(const HealthGroup& group, bool editable);
    // The entry rules after a user action on control of group.
    void EntryTicked(Group& group, QAbstractButton* button);
    void EntryTyped(Group& group, bool empty);
    void ClearGroup(Group& group, const QWidget* keep);

    std::vector<Group> groups_;
    QTableWidget* grid_ = nullptr;
    bool loading_ = false;
};

}  // namespace dalvero
