#include "sub_list_editor.h"

#include <QListView>

#include "list_header.h"
#include "dialog_seam.h"
#include "item_list_model.h"
#include "main_window_state.h"
#include "record_ops.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
// The primary mark of the physician and the family lists alike.
constexpr char kPrimary[] = "P";
}  // namespace

cSubListEditor::cSubListEditor(MainWindowState& main, CaseSubList which, QWidget* parent)
    : cCaseDialog(parent), main_(main), which_(which), rows_(new cItemListModel(this)) {}

void cSubListEditor::SetUpList(QListView* list, cListHeader* header,
                               const std::vector<std::pair<const char*, int>>& sections,
                               cColumnRowDelegate::Cells cells, int rowHeight) {
    list_ = list;
    header->SetSections(sections);
    header->setSectionsClickable(false);
    ShowRows(*list, *rows_,
             new cColumnRowDelegate(std::move(cells), cColumnRowDelegate::AtSections(*header), rowHeight, nullptr));
    header->KeepColumnsWhole(*list);
    connect(list, &QListView::clicked, this, &cSubListEditor::ListClicked);
    connect(list, &QListView::activated, this, &cSubListEditor::ListClicked);
}

void cSubListEditor::Edit(cItemListModel& caseRows) {
    caseRows.MoveRowsTo(*rows_);
    Prepare();
    shownSeq_.clear();
    int row = 0;
    while (row < rows_->rowCount() && !OfferKeptRow(row)) ++row;
    if (row == rows_->rowCount()) OfferKeptNewRow();
    ExecDialog(*this);
    rows_->MoveRowsTo(caseRows);
}

void cSubListEditor::ListClicked(const QModelIndex& index) {
    if (index.isValid()) OpenRow(index.row());
}

void cSubListEditor::OpenRow(int row) {
    Select(row);
    ShowRow(*rows_->At(row));
    shownSeq_ = rows_->At(row)->Seq;
    shown_ = PanelValues();
}

bool cSubListEditor::OfferKeptRow(int row) {
    const ListBoxItemClass& stored = *rows_->At(row);
    const StringList fields = PanelValues();
    // The row's fields by number, so that a kept empty text is told from none.
    StringList record;
    for (const std::string& item : fields) {
        const auto field = static_cast<std::size_t>(FieldOf(item));
        if (field >= record.size()) record.items().resize(field + 1);
        record[field] = stored.GetValue("f" + std::to_string(field));
    }
    std::vector<StringList> records{record};
    if (!OfferKept({{Table(), stored.Seq, fields, {}}}, records)) return false;
    ListBoxItemClass kept = stored;
    for (const std::string& item : fields)
        kept.SetValue("f" + std::to_string(FieldOf(item)), records[0][static_cast<std::size_t>(FieldOf(item))]);
    // Shown as typed over the row as stored: Save writes it, a later logoff keeps it again.
    OpenRow(row);
    ShowRow(kept);
    return true;
}

std::vector<cCaseDialog::EditedRecord> cSubListEditor::EditedRecords() const {
    const int row = SelectedRow();
    if (!EditPanel()->isVisible() || row < 0 || rows_->At(row)->Seq != shownSeq_) return {};
    return {{Table(), shownSeq_, shown_, PanelValues()}};
}

int cSubListEditor::SelectedRow() const {
    const QModelIndex current = list_->currentIndex();
    return current.isValid() && list_->selectionModel()->isSelected(current) ? current.row() : -1;
}

void cSubListEditor::Select(int row) { list_->setCurrentIndex(rows_->index(row)); }

dbServerConnection& cSubListEditor::Db() const { return *main_.Session.DataServer; }

const std::string& cSubListEditor::CaseSeq() const { return main_.Case.CurrentCaseSeq; }

bool cSubListEditor::AddRow(const StringList& values, SubListRow row, bool top, const std::string& failText) {
    row.item.Seq = AddRecord(Db(), Table(), values);
    if (row.item.Seq.empty()) {
        ShowMessageBox(this, failText, "Error");
        return false;
    }
    const int at = top ? 0 : rows_->rowCount();
    rows_->Insert(at, std::move(row.text), std::move(row.item));
    Select(at);
    return true;
}

bool cSubListEditor::UpdateRow(int row, const StringList& values, const std::string& failText) {
    if (!UpdateRecord(Db(), Table(), rows_->At(row)->Seq, values)) {
        ShowMessageBox(this, failText, "Error");
        return false;
    }
    ListBoxItemClass& item = *rows_->At(row);
    for (const std::string& value : values) {
        const std::size_t equals = value.find('=');
        item.SetValue(value.substr(0, equals), value.substr(equals + 1));
    }
    Retext(row);
    return true;
}

bool cSubListEditor::RemoveRow(int row, const std::string& failText) {
    if (!DeleteRecord(Db(), Table(), rows_->At(row)->Seq)) {
        ShowMessageBox(this, failText, "Error Deleting");
        return false;
    }
    rows_->Remove(row);
    return true;
}

int cSubListEditor::PrimaryChanged(int row, const char* field, const std::string& updateFailText) {
    if (rows_->At(row)->GetValue(field) != kPrimary) return rows_->MoveRow(row, rows_->rowCount() - 1);
    row = rows_->MoveRow(row, 0);
    // Every reader of the case takes the first primary row it finds: the
    // approval mail would go to an earlier one left marked.
    for (int other = 1; other < rows_->rowCount(); ++other)
        if (rows_->At(other)->GetValue(field) == kPrimary)
            UpdateRow(other, StringList{std::string(field) + "="}, updateFailText);
    Select(row);
    return row;
}

void cSubListEditor::Retext(int row) { rows_->SetText(row, SubListText(which_, *rows_->At(row))); }

}  // namespace dalvero
