#include "code_lookup_form.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "column_row_delegate.h"
#include "function_commands.h"
#include "item_list_model.h"
#include "json_node.h"
#include "record_batch.h"
#include "ui_code_lookup_form.h"

namespace dalvero {

namespace {
constexpr int kRowHeight = 20;
constexpr int kCodeWidth = 80;
constexpr int kDescriptionWidth = 560;
constexpr int kMostCodes = 20;
constexpr char kCodeFields[] = "f10,f11";
constexpr char kNoMatch[] = "No Codes match these keywords.";
}  // namespace

TCodeLookupForm::TCodeLookupForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCodeLookupForm>()), rows_(new cItemListModel(this)) {
    ui->setupUi(this);
    QListView* list = ui->ListBox;
    ShowRows(*list, *rows_, new cColumnRowDelegate(
        [this](int row) {
            const ListBoxItemClass& item = *rows_->At(row);
            return std::vector<std::string>{IcdCodeText(item.GetValue("code"), Parameters.Book),
                                            item.GetValue("description")};
        },
        [] { return std::vector<ListColumn>{{0, kCodeWidth}, {kCodeWidth, kDescriptionWidth}}; }, kRowHeight, nullptr));
    connect(ui->CodeEdit, &QLineEdit::textChanged, this, &TCodeLookupForm::CodeEditChange);
    connect(list, &QListView::clicked, this, &TCodeLookupForm::ListBoxClick);
    connect(list, &QListView::doubleClicked, this, &TCodeLookupForm::ListBoxDblClick);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, &TCodeLookupForm::ListBoxClick);
    for (QObject* watched : {static_cast<QObject*>(ui->KeywordEdit), static_cast<QObject*>(list),
                             static_cast<QObject*>(ui->ExitLabel)})
        watched->installEventFilter(this);
}

TCodeLookupForm::~TCodeLookupForm() = default;

void TCodeLookupForm::Reset() {
    const QSignalBlocker quiet(ui->CodeEdit);
    ui->CodeEdit->clear();
    ui->KeywordEdit->clear();
    rows_->Clear();
    ui->DescriptionMemo->clear();
    Selected = false;
    Code.clear();
    Description.clear();
    ui->CodeEdit->setFocus();
}

void TCodeLookupForm::AddRow(const std::string& code, const std::string& description) {
    ListBoxItemClass item;
    item.SetValue("code", code);
    item.SetValue("description", description);
    rows_->Add(code, std::move(item));
}

void TCodeLookupForm::CodeEditChange() {
    rows_->Clear();
    ui->DescriptionMemo->clear();
    if (!Parameters.Connection) return;
    // The code books hold codes without their point.
    QString typed = ui->CodeEdit->text();
    typed.remove('.');
    cRecordBatch batch;
    if (!batch.Query(Parameters.Connection, Parameters.CodeTable, Parameters.Index, "", typed.toStdString(), -1,
                     kMostCodes, kCodeFields, "", "", "F") ||
        !batch.Set->First())
        return;
    do AddRow(batch.Set->ReadField("f10"), batch.Set->ReadField("f11"));
    while (batch.Set->Next());
}

void TCodeLookupForm::KeywordEditEnter() {
    rows_->Clear();
    ui->DescriptionMemo->clear();
    if (!Parameters.Functions) return;
    cJsonNode request;
    BuildCodeKeywordLookup(request, Parameters.Command, ui->KeywordEdit->text().toStdString());
    if (!RunFunctionCommand(*Parameters.Functions, request)) return;
    if (request.GetString(fncmd::kNoData) == "Y") {
        AddRow("", kNoMatch);
        return;
    }
    const cJsonNode* data = request.GetMember(fncmd::kData);
    if (!data) return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(data->Count()); ++i) AddRow(data->NameAt(i), data->ValueAt(i));
}

void TCodeLookupForm::ListBoxClick(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= rows_->rowCount()) return;
    ui->DescriptionMemo->setPlainText(QString::fromStdString(rows_->At(index.row())->GetValue("description")));
}

void TCodeLookupForm::ListBoxDblClick(const QModelIndex& index) {
    if (!index.isValid()) return;
    const ListBoxItemClass& item = *rows_->At(index.row());
    if (item.GetValue("code").empty()) return;
    Selected = true;
    Code = item.GetValue("code");
    Description = item.GetValue("description");
    accept();
}

bool TCodeLookupForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->ExitLabel) {
        if (event->type() != QEvent::MouseButtonRelease) return false;
        reject();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    if (watched == ui->KeywordEdit) KeywordEditEnter();
    else ListBoxDblClick(ui->ListBox->currentIndex());
    return true;
}

}  // namespace dalvero
