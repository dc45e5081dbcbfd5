#include "add_provider_form.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRegularExpressionValidator>

#include "dialog_seam.h"
#include "provider_edit_forms.h"
#include "provider_search.h"
#include "screen_content.h"
#include "ui_add_provider_form.h"

namespace dalvero {

TAddProviderForm::TAddProviderForm(dbServerConnection& db, ProviderCategoriesOpener categories, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAddProviderForm>()), db_(db), categories_(std::move(categories)) {
    ui->setupUi(this);
    listState_ = new cListState(ui->ProviderList, "No providers match");
    // State and zip go into the server's filter: letters and digits only.
    const QRegularExpression plain("[A-Za-z0-9]*");
    ui->StateEdit->setValidator(new QRegularExpressionValidator(plain, ui->StateEdit));
    ui->ZipEdit->setValidator(new QRegularExpressionValidator(plain, ui->ZipEdit));
    ui->AddNewProviderPanel->hide();
    ui->ViewProviderPanel->hide();
    connect(ui->SearchNameEdit, &QLineEdit::textEdited, this, &TAddProviderForm::Search);
    connect(ui->StateEdit, &QLineEdit::textEdited, this, &TAddProviderForm::StateEditChange);
    connect(ui->ZipEdit, &QLineEdit::textEdited, this, &TAddProviderForm::Search);
    connect(ui->ProviderList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ProviderListDblClick(ui->ProviderList->indexOfTopLevelItem(item)); });
    connect(ui->AddNewProviderPanel, &QPushButton::clicked, this, &TAddProviderForm::AddNewProviderButtonClick);
    connect(ui->ViewProviderPanel, &QPushButton::clicked, this, &TAddProviderForm::ViewProviderButtonClick);
}

TAddProviderForm::~TAddProviderForm() = default;

void TAddProviderForm::StateEditChange() {
    const std::string state = ui->StateEdit->text().toUpper().toStdString();
    if (state == kProviderAccessCode) {
        ui->StateEdit->clear();
        ui->AddNewProviderPanel->show();
        ui->ViewProviderPanel->show();
        return;
    }
    if (StateStartsSearch(state)) Search();
}

void TAddProviderForm::Search() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string name = ui->SearchNameEdit->text().toStdString();
    const auto found = SearchProviders(
        db_, name, ProviderSearchFilter(ui->StateEdit->text().toStdString(), ui->ZipEdit->text().toStdString()));
    QGuiApplication::restoreOverrideCursor();
    ui->ProviderList->clear();
    rows_ = found.value_or(std::vector<ProviderRow>());
    for (const ProviderRow& row : rows_)
        ui->ProviderList->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(row.name), QString::fromStdString(row.street),
             QString::fromStdString(row.city + ", " + row.state + "   " + row.zip)}));
    if (found)
        listState_->Loaded(static_cast<int>(rows_.size()));
    else
        listState_->Failed();
}

void TAddProviderForm::ProviderListDblClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    chosen_ = rows_[static_cast<std::size_t>(row)].seq;
    accept();
}

void TAddProviderForm::AddNewProviderButtonClick() {
    TAddNewProviderForm add(db_, this);
    if (ExecDialog(add) == QDialog::Accepted) Search();
}

void TAddProviderForm::ViewProviderButtonClick() {
    const int row = ui->ProviderList->indexOfTopLevelItem(ui->ProviderList->currentItem());
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) {
        ShowMessageBox(this, "You must select a provider first", "Notice");
        return;
    }
    TViewProviderForm view(db_, rows_[static_cast<std::size_t>(row)].seq, categories_, this);
    if (ExecDialog(view) == QDialog::Accepted) Search();
}

}  // namespace dalvero
