#include "provider_edit_forms.h"

#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <utility>

#include "db_server_connection.h"
#include "dialog_seam.h"
#include "loaded_write.h"
#include "phone_edit.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "ui_provider_edit_form.h"

namespace dalvero {

namespace {
namespace pv = catalogue::providers;

std::string F(int field, const std::string& value) { return "f" + std::to_string(field) + "=" + value; }
std::string Item(const StringList& record, int n) {
    return static_cast<std::size_t>(n) < record.size() ? record[static_cast<std::size_t>(n)] : std::string();
}
}  // namespace

cProviderEditDialog::cProviderEditDialog(dbServerConnection& db, const char* title, const char* saveCaption,
                                         QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TProviderEditForm>()), db_(db) {
    ui->setupUi(this);
    setWindowTitle(title);
    ui->SaveButton->setText(saveCaption);
    phone_ = new cPhoneEdit(ui->ProviderPhoneEdit);
    phone2_ = new cPhoneEdit(ui->Provider2ndPhoneEdit);
    fax_ = new cPhoneEdit(ui->ProviderFaxEdit);
    connect(ui->BackButton, &QPushButton::clicked, this, &QDialog::reject);
}

cProviderEditDialog::~cProviderEditDialog() = default;

StringList cProviderEditDialog::Values() const {
    const auto text = [](const QLineEdit* edit) { return edit->text().trimmed().toStdString(); };
    return StringList{F(pv::kName, text(ui->ProviderNameEdit)),     F(pv::kStreet, text(ui->ProviderStreetEdit)),
                      F(pv::kCity, text(ui->ProviderCityEdit)),     F(pv::kState, text(ui->ProviderStateEdit)),
                      F(pv::kZip, text(ui->ProviderZipEdit)),       F(pv::kPhone, phone_->Digits()),
                      F(pv::kPhone2, phone2_->Digits()),            F(pv::kFax, fax_->Digits()),
                      F(pv::kNpi, text(ui->ProviderNPIEdit))};
}

void cProviderEditDialog::Fill(const StringList& record) {
    const std::array<std::pair<QLineEdit*, int>, 6> edits{{{ui->ProviderNameEdit, pv::kName},
                                                           {ui->ProviderStreetEdit, pv::kStreet},
                                                           {ui->ProviderCityEdit, pv::kCity},
                                                           {ui->ProviderStateEdit, pv::kState},
                                                           {ui->ProviderZipEdit, pv::kZip},
                                                           {ui->ProviderNPIEdit, pv::kNpi}}};
    for (const auto& [edit, field] : edits) edit->setText(QString::fromStdString(Item(record, field)));
    phone_->SetNumber(Item(record, pv::kPhone));
    phone2_->SetNumber(Item(record, pv::kPhone2));
    fax_->SetNumber(Item(record, pv::kFax));
}

TAddNewProviderForm::TAddNewProviderForm(dbServerConnection& db, QWidget* parent)
    : cProviderEditDialog(db, "Add A New Provider", "Save", parent) {
    ui->WhatWeDoPanel->hide();
    connect(ui->SaveButton, &QPushButton::clicked, this, &TAddNewProviderForm::SaveButtonClick);
}

void TAddNewProviderForm::SaveButtonClick() {
    if (ui->ProviderNameEdit->text().trimmed().isEmpty()) {
        ShowMessageBox(this, "Please enter the provider's name", "Missing data");
        return;
    }
    if (AddRecord(db_, catalogue::tbl::kProviderEntities, Values()).empty()) {
        ShowMessageBox(this, "The provider could not be added: " + db_.ErrorText, "Error");
        return;
    }
    accept();
}

TViewProviderForm::TViewProviderForm(dbServerConnection& db, std::string providerSeq,
                                     std::function<void(const std::string&, QWidget*)> categories, QWidget* parent)
    : cProviderEditDialog(db, "View Provider", "Update This Information", parent), seq_(std::move(providerSeq)) {
    connect(ui->SaveButton, &QPushButton::clicked, this, &TViewProviderForm::UpdateButtonClick);
    connect(ui->WhatWeDoPanel, &QPushButton::clicked, this, [this, categories] {
        if (categories) categories(seq_, this);
    });
    StringList record;
    if (ReadRecord(db_, catalogue::tbl::kProviderEntities, seq_, record)) {
        Fill(record);
        for (const std::string& item : Values()) {
            const int field = ToIntDef(item.substr(1, item.find('=') - 1), 0);
            loaded_.push_back(F(field, Item(record, field)));
        }
    } else {
        ShowMessageBox(parent, "The provider could not be read.", "Error");
        ui->SaveButton->setEnabled(false);
        ui->WhatWeDoPanel->setEnabled(false);
    }
}

void TViewProviderForm::UpdateButtonClick() {
    // Only what was changed here, each with the value it was read with: a
    // colleague's change since is shown beside this one, not overwritten.
    StringList values = ChangedItems(loaded_, Values());
    StringList loaded = loaded_;
    if (!values.empty()) {
        switch (WriteLoaded(db_, catalogue::tbl::kProviderEntities, seq_, values, loaded, this)) {
        case LoadedWrite::Written: break;
        case LoadedWrite::Cancelled: return;
        case LoadedWrite::Failed:
            ShowMessageBox(this, "The provider could not be updated: " + db_.ErrorText, "Error");
            return;
        }
    }
    accept();
}

}  // namespace dalvero
