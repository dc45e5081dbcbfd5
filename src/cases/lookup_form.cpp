#include "lookup_form.h"

#include <QKeyEvent>

#include <algorithm>
#include <cctype>

#include "column_row_delegate.h"
#include "item_list_model.h"
#include "record_batch.h"
#include "string_list.h"
#include "ui_lookup_form.h"

namespace dalvero {

namespace {
constexpr int kRowHeight = 16;
constexpr int kFirstColumnX = 1;
constexpr int kWindowMargin = 8;
constexpr char kPagedQuery[] = "Y";

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}
}  // namespace

TLookupForm::TLookupForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TLookupForm>()), rows_(new cItemListModel(this)) {
    ui->setupUi(this);
    ui->AddButton->hide();
    QListView* list = ui->ListBox;
    ShowRows(*list, *rows_, new cColumnRowDelegate(
        [this](int row) {
            std::vector<std::string> cells;
            for (const std::string& field : displayFields_) cells.push_back(rows_->At(row)->GetValue(field));
            return cells;
        },
        [this] {
            std::vector<ListColumn> columns;
            int x = kFirstColumnX;
            for (const auto& [width, align] : columns_) {
                columns.push_back({x, width, align});
                x += width;
            }
            return columns;
        },
        kRowHeight, nullptr));
    connect(ui->EditBox, &QLineEdit::textChanged, this, &TLookupForm::EditBoxChange);
    connect(list, &QListView::doubleClicked, this, &TLookupForm::ListBoxDblClick);
    ui->EditBox->installEventFilter(this);
    list->installEventFilter(this);
    setFocusProxy(ui->EditBox);
}

TLookupForm::~TLookupForm() = default;

void TLookupForm::Prepare() {
    setWindowTitle(QString::fromStdString(Parameters.Caption));
    const std::vector<std::string> fields = ParseCommaText(Parameters.DisplayFields);
    const std::vector<std::string> widths = ParseCommaText(Parameters.ColumnWidths);
    const std::vector<std::string> aligns = ParseCommaText(Parameters.ColumnAligns);
    displayFields_.clear();
    columns_.clear();
    int total = 0;
    for (std::size_t i = 0; i < fields.size() && i < widths.size(); ++i) {
        const int width = ToIntDef(widths[i], 0);
        if (width <= 0) continue;
        displayFields_.push_back(fields[i]);
        columns_.emplace_back(width, i < aligns.size() && !aligns[i].empty() ? aligns[i].front() : 'L');
        total += width;
    }
    resize(total + kWindowMargin + 2 * layout()->contentsMargins().left(), height());
    Selected = false;
    // Emptying runs the search even when the box was empty already.
    const QSignalBlocker quiet(ui->EditBox);
    ui->EditBox->clear();
    EditBoxChange();
    ui->EditBox->setFocus();
}

void TLookupForm::EditBoxChange() {
    const LookupParameters& p = Parameters;
    rows_->Clear();
    if (!p.Connection) return;
    const bool matching = Upper(p.Mode) == "D";
    const int start = matching ? 0 : -(p.MaxCount / 2);
    batch_.Query(p.Connection, p.Table, p.Index, p.KeyFrom, ui->EditBox->text().toStdString(), start, p.MaxCount,
                 p.FieldList.empty() ? p.DisplayFields : p.FieldList, p.AliasList, p.Filter, kReadForward, "",
                 kPagedQuery);
    Fill();
}

void TLookupForm::Fill() {
    rows_->Clear();
    cBatchSet* set = batch_.Set.get();
    const std::string typed = Upper(ui->EditBox->text().toStdString());
    const std::string mode = Upper(Parameters.Mode);
    const std::string match = "f" + std::to_string(Parameters.MatchField);
    if (set && set->First()) do {
            if (mode == "D" && !typed.empty() && Upper(set->ReadField(match)).rfind(typed, 0) != 0) continue;
            ListBoxItemClass item;
            for (const std::string& field : displayFields_) item.SetValue(field, set->ReadField(field));
            rows_->Add(std::to_string(set->RecordIndex()), std::move(item));
        } while (rows_->rowCount() < Parameters.MaxCount && set->Next());
    if (!typed.empty() && rows_->rowCount() > 0) ui->ListBox->setCurrentIndex(rows_->index(0));
}

void TLookupForm::Refetch(bool fetched, bool selectLast) {
    if (!fetched) return;
    Fill();
    if (rows_->rowCount() > 0) ui->ListBox->setCurrentIndex(rows_->index(selectLast ? rows_->rowCount() - 1 : 0));
}

bool TLookupForm::EditBoxKeyDown(int key) {
    const int row = ui->ListBox->currentIndex().isValid() ? ui->ListBox->currentIndex().row() : -1;
    const int last = rows_->rowCount() - 1;
    switch (key) {
    case Qt::Key_Up:
        if (row <= 0) Refetch(batch_.StepBack(), false);
        else ui->ListBox->setCurrentIndex(rows_->index(row - 1));
        return true;
    case Qt::Key_Down:
        if (row >= last) Refetch(batch_.StepForward(), true);
        else ui->ListBox->setCurrentIndex(rows_->index(row + 1));
        return true;
    case Qt::Key_PageUp: Refetch(batch_.PriorPage(), false); return true;
    case Qt::Key_PageDown: Refetch(batch_.NextPage(), false); return true;
    case Qt::Key_Home: Refetch(batch_.FirstPage(), false); return true;
    case Qt::Key_End: Refetch(batch_.LastPage(), true); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: ListBoxDblClick(); return true;
    default: return false;
    }
}

bool TLookupForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == ui->EditBox) return EditBoxKeyDown(key);
    if (watched == ui->ListBox && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        // The list moves its selection, and the typing goes on in the box.
        ui->EditBox->setFocus();
        return EditBoxKeyDown(key);
    }
    if (watched == ui->ListBox && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        ListBoxDblClick();
        return true;
    }
    return false;
}

void TLookupForm::ListBoxDblClick() {
    const QModelIndex current = ui->ListBox->currentIndex();
    if (!current.isValid() || !batch_.Set) return;
    batch_.Set->GoTo(ToIntDef(rows_->Text(current.row()), 0));
    Selected = true;
    accept();
}

void TLookupForm::done(int result) {
    Parameters = {};
    QDialog::done(result);
}

}  // namespace dalvero
