#include "health_checklist_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "control_text.h"
#include "note_limit.h"

namespace dalvero {

namespace {

using E = HealthEntry;

// A user's text in an entry, so that the whole check-list always fits one
// request (and the server's cap on it).
constexpr int kEditLength = 200;
constexpr int kMemoBytes = 6000;
constexpr int kCellBytes = 100;
constexpr int kColumns = 3;

QString Q(const std::string& s) { return QString::fromStdString(s); }

void SetBold(QAbstractButton* button) {
    QFont font = button->font();
    font.setBold(button->isChecked());
    button->setFont(font);
}

// Radio buttons are exclusive: unticking one needs the rule lifted.
void SetTicked(QAbstractButton* button, bool on) {
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(on);
    button->setAutoExclusive(exclusive);
    SetBold(button);
}

bool IsNA(const HealthEntry& entry) { return std::string_view(entry.caption) == "N/A"; }

}  // namespace

cHealthChecklistView::cHealthChecklistView(bool editable, QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    int i = 0;
    for (const HealthGroup& group : HealthChecklist()) {
        QWidget* box = MakeGroup(group, editable);
        // The memos and the grid take a whole row.
        const bool wide = group.entries.front().kind == E::Grid;
        if (wide) {
            i = (i + kColumns - 1) / kColumns * kColumns;
            layout->addWidget(box, i / kColumns, 0, 1, kColumns);
            i += kColumns;
        } else {
            layout->addWidget(box, i / kColumns, i % kColumns);
            ++i;
        }
    }
}

QWidget* cHealthChecklistView::MakeGroup(const HealthGroup& table, bool editable) {
    auto* box = new QGroupBox(table.caption, this);
    box->setObjectName(table.name);
    auto* layout = new QGridLayout(box);
    groups_.push_back({&table, {}});
    const std::size_t g = groups_.size() - 1;
    int row = 0;
    for (const HealthEntry& entry : table.entries) {
        QWidget* control = nullptr;
        switch (entry.kind) {
        case E::Check:
        case E::Radio: {
            QAbstractButton* button = entry.kind == E::Check ? static_cast<QAbstractButton*>(new QCheckBox(entry.caption))
                                                              : new QRadioButton(entry.caption);
            if (editable)
                connect(button, &QAbstractButton::clicked, this, [this, g, button] { EntryTicked(groups_[g], button); });
            control = button;
            layout->addWidget(button, row++, 0, 1, 2);
            break;
        }
        case E::Label:
            control = new QLabel(entry.caption);
            layout->addWidget(control, row++, 0, 1, 2);
            break;
        case E::Edit: {
            auto* edit = new QLineEdit;
            edit->setMaxLength(kEditLength);
            edit->setReadOnly(!editable);
            auto* label = new QLabel(entry.caption);
            label->setObjectName(QString(entry.name) + "Label");
            label->setBuddy(edit);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, g](const QString& text) { EntryTyped(groups_[g], text.isEmpty()); });
            control = edit;
            layout->addWidget(label, row, 0);
            layout->addWidget(edit, row++, 1);
            break;
        }
        case E::Memo: {
            auto* memo = new QPlainTextEdit;
            memo->setTabChangesFocus(true);
            memo->setReadOnly(!editable);
            memo->setMinimumHeight(60);
            LimitNoteLength(memo, kMemoBytes);
            connect(memo, &QPlainTextEdit::textChanged, this, [this, g, memo] {
                if (!loading_) EntryTyped(groups_[g], memo->document()->isEmpty());
            });
            control = memo;
            layout->addWidget(memo, row++, 0, 1, 2);
            break;
        }
        case E::Grid: {
            grid_ = new QTableWidget(kPrescriptionLines, kPrescriptionColumns);
            QStringList headings;
            for (int c = 1; c <= kPrescriptionColumns; ++c) headings << PrescriptionHeadings()[c];
            grid_->setHorizontalHeaderLabels(headings);
            grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
            grid_->setMinimumHeight(200);
            grid_->setTabKeyNavigation(false);
            if (!editable) grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
            LimitCellLength(grid_, kCellBytes);
            connect(grid_, &QTableWidget::itemChanged, this, [this, g](QTableWidgetItem* item) {
                if (!loading_) EntryTyped(groups_[g], item->text().isEmpty());
            });
            control = grid_;
            layout->addWidget(grid_, row++, 0, 1, 2);
            break;
        }
        }
        control->setObjectName(entry.name);
        // Read-only boxes show their state but take no clicks.
        if (!editable && (entry.kind == E::Check || entry.kind == E::Radio)) {
            control->setAttribute(Qt::WA_TransparentForMouseEvents);
            control->setFocusPolicy(Qt::NoFocus);
        }
        groups_[g].controls.push_back(control);
    }
    return box;
}

void cHealthChecklistView::EntryTicked(Group& group, QAbstractButton* button) {
    for (QWidget* w : group.controls)
        if (auto* b = qobject_cast<QAbstractButton*>(w)) SetBold(b);
    if (button->isChecked()) {
        const auto at = std::find(group.controls.begin(), group.controls.end(), button) - group.controls.begin();
        if (IsNA(group.table->entries[static_cast<std::size_t>(at)])) ClearGroup(group, button);
        else EntryTyped(group, false);
    }
    emit changed();
}

void cHealthChecklistView::EntryTyped(Group& group, bool empty) {
    if (!empty)
        for (std::size_t i = 0; i < group.controls.size(); ++i)
            if (IsNA(group.table->entries[i])) {
                SetTicked(static_cast<QAbstractButton*>(group.controls[i]), false);
                break;
            }
    emit changed();
}

void cHealthChecklistView::ClearGroup(Group& group, const QWidget* keep) {
    loading_ = true;
    for (QWidget* w : group.controls) {
        if (w == keep) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) SetTicked(b, false);
        else if (auto* e = qobject_cast<QLineEdit*>(w)) e->clear();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->clear();
        else if (auto* t = qobject_cast<QTableWidget*>(w)) t->clearContents();
    }
    loading_ = false;
}

void cHealthChecklistView::SetDetail(const HealthDetail& detail) {
    for (Group& group : groups_) ClearGroup(group, nullptr);
    loading_ = true;
    for (Group& group : groups_) {
        for (std::size_t i = 0; i < group.controls.size(); ++i) {
            const std::string value = detail.Value(group.table->entries[i].name);
            QWidget* w = group.controls[i];
            if (auto* b = qobject_cast<QAbstractButton*>(w)) SetTicked(b, value == "Y");
            else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) SetControlText(w, value);
        }
    }
    for (int line = 1; line <= kPrescriptionLines; ++line)
        for (int col = 1; col <= kPrescriptionColumns; ++col) {
            const std::string& cell = detail.grid[static_cast<std::size_t>(line)][static_cast<std::size_t>(col)];
            if (!cell.empty()) grid_->setItem(line - 1, col - 1, new QTableWidgetItem(Q(cell)));
        }
    loading_ = false;
}

HealthDetail cHealthChecklistView::Detail() const {
    HealthDetail detail;
    for (const Group& group : groups_) {
        for (std::size_t i = 0; i < group.controls.size(); ++i) {
            std::string value;
            const QWidget* w = group.controls[i];
            if (auto* b = qobject_cast<const QAbstractButton*>(w)) value = b->isChecked() ? "Y" : "";
            else if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w)) value = ControlText(w);
            if (!value.empty()) detail.values[group.table->entries[i].name] = value;
        }
    }
    for (int line = 1; line <= kPrescriptionLines; ++line)
        for (int col = 1; col <= kPrescriptionColumns; ++col)
            if (const QTableWidgetItem* item = grid_->item(line - 1, col - 1))
                detail.grid[static_cast<std::size_t>(line)][static_cast<std::size_t>(col)] = item->text().toStdString();
    return detail;
}

}  // namespace dalvero
