#include "admin_main_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <array>

#include "add_provider_form.h"
#include "client_session.h"
#include "dialog_seam.h"
#include "edit_objects.h"
#include "image_button.h"
#include "main_window_state.h"
#include "phone_edit.h"
#include "phone_text.h"
#include "platform_utils.h"
#include "screen_content.h"
#include "table_catalogue.h"
#include "ui_admin_main_form.h"

namespace dalvero {

namespace {
namespace cat = catalogue;

enum Page { HospitalPage, CaseWorkersPage, PersonnelPage, PreferredPage, ReportsPage };

// The overview's columns after the name: the reply's lists in order; it has
// no list of its own for the insurance window, which stays empty.
constexpr std::array<const char*, 7> kCaseWorkerHeadings{"New Patient", "4 Days Left", "3 Days Left", "2 Days Left",
                                                          "Discharge Today", "Beyond", "Insurance Window"};

// One mark per case, coloured by its need status.
QString StatusMarks(const std::vector<std::pair<std::string, std::string>>& marks) {
    QString html;
    for (const auto& [name, digit] : marks) {
        const char* colour = digit == "1" ? "#ff0000" : digit == "2" ? "#ffff00" : digit == "3" ? "#008000" : "#808080";
        html += QString("<span style=\"color:%1\" title=\"%2\">&#9632;</span> ")
                    .arg(colour, QString::fromStdString(name).toHtmlEscaped());
    }
    return html;
}
}  // namespace

TAdminMainForm::TAdminMainForm(MainWindowState& main)
    : ui(std::make_unique<Ui::TAdminMainForm>()), session_(main.Session), user_(main.User) {
    ui->setupUi(this);
    personnelState_ = new cListState(ui->PersonnelListBox, "No personnel yet");
    caseWorkersState_ = new cListState(ui->CaseWorkersGrid, "No discharge case workers yet");
    preferredState_ = new cListState(ui->PreferredProvidersListBox, "No preferred providers yet");
    OpenDocument = [](const std::string& path) { RunProgram(path, ""); };
    ui->CaseWorkersGrid->setColumnCount(static_cast<int>(kCaseWorkerHeadings.size()) + 1);
    QStringList headings{"Case Worker"};
    for (const char* heading : kCaseWorkerHeadings) headings << heading;
    ui->CaseWorkersGrid->setHorizontalHeaderLabels(headings);
    ui->CaseWorkersGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->CaseWorkersGrid->verticalHeader()->hide();

    const auto image = [this](QLabel* label, void (TAdminMainForm::*click)()) {
        connect(cImageButton::Painted(label, ImageButtonArt::Shape::Button), &cImageButton::clicked, this, click);
    };
    image(ui->PersonnelRefreshImage, &TAdminMainForm::LoadPersonnel);
    image(ui->PersonnelAddImage, &TAdminMainForm::PersonnelAddImageClick);
    image(ui->CaseWorkersRefreshImage, &TAdminMainForm::LoadCaseWorkers);
    image(ui->PreferredRefreshImage, &TAdminMainForm::LoadPreferredProviders);
    connect(ui->AdminPageControl, &QTabWidget::currentChanged, this, &TAdminMainForm::AdminPageControlChange);
    connect(ui->PersonnelListBox, &QListWidget::currentRowChanged, this, &TAdminMainForm::PersonnelListBoxClick);
    connect(ui->PersonnelPasswordEdit, &QLineEdit::editingFinished, this, &TAdminMainForm::PersonnelPasswordExit);
    connect(ui->PreferredProvidersListBox, &QListWidget::currentRowChanged, this,
            &TAdminMainForm::PreferredProvidersListBoxClick);
    connect(ui->AddPreferredProviderButton, &QPushButton::clicked, this,
            &TAdminMainForm::AddPreferredProviderButtonClick);
    connect(ui->RemovePreferredProviderButton, &QPushButton::clicked, this,
            &TAdminMainForm::RemovePreferredProviderButtonClick);
    connect(ui->MIRCalFileButton, &QPushButton::clicked, this, &TAdminMainForm::MIRCalFileButtonClick);
    connect(ui->SpreadsheetButton, &QPushButton::clicked, this, &TAdminMainForm::SpreadsheetButtonClick);
    connect(ui->LateDischargeReportButton, &QPushButton::clicked, this,
            &TAdminMainForm::LateDischargeReportButtonClick);
    connect(ui->LateDischargeSpreadsheetButton, &QPushButton::clicked, this,
            &TAdminMainForm::LateDischargeSpreadsheetButtonClick);
    connect(ui->NFPrintReportButton, &QPushButton::clicked, this, &TAdminMainForm::NFPrintReportButtonClick);
    connect(ui->StateFileCancelButton, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    SetUpReports();
}

TAdminMainForm::~TAdminMainForm() = default;

QWidget* TAdminMainForm::Panel() const { return ui->AdminPanel; }

// The bindings need the data server's connection, which the log-in makes
// after this screen is built.
void TAdminMainForm::BindOnce() {
    if (hospital_) return;
    BindHospital();
    BindPersonnel();
}

void TAdminMainForm::AdminPageControlChange() {
    switch (ui->AdminPageControl->currentIndex()) {
    case HospitalPage: LoadHospital(); break;
    case CaseWorkersPage: LoadCaseWorkers(); break;
    case PersonnelPage: LoadPersonnel(); break;
    case PreferredPage: LoadPreferredProviders(); break;
    default: break;
    }
}

void TAdminMainForm::BindHospital() {
    hospital_ = std::make_unique<cEditObjects>(*session_.DataServer, cat::tbl::kProviderEntities, this);
    const std::array<std::pair<QLineEdit*, const char*>, 16> edits{{
        {ui->HospitalNameEdit, "f10"}, {ui->HospitalAttnEdit, "f11"}, {ui->HospitalStreetEdit, "f12"},
        {ui->HospitalCityEdit, "f13"}, {ui->HospitalStateEdit, "f14"}, {ui->HospitalZipEdit, "f15"},
        {ui->HospitalPhoneEdit, "f16"}, {ui->HospitalTollFreeEdit, "f17"}, {ui->HospitalFaxEdit, "f18"},
        {ui->HospitalAdditionalPhoneEdit, "f19"}, {ui->HospitalEmailEdit, "f20"},
        {ui->HospitalNotificationEmailEdit, "f21"}, {ui->HospitalSMSEmailEdit, "f22"},
        {ui->HospitalWebsiteEdit, "f23"}, {ui->HospitalReplyToEdit, "f24"}, {ui->HospitalNPIEdit, "f26"},
    }};
    const std::array<QLineEdit*, 4> phones{ui->HospitalPhoneEdit, ui->HospitalTollFreeEdit, ui->HospitalFaxEdit,
                                           ui->HospitalAdditionalPhoneEdit};
    for (QLineEdit* phone : phones) new cPhoneEdit(phone);
    for (const auto& [edit, field] : edits) {
        const bool phone = std::find(phones.begin(), phones.end(), edit) != phones.end();
        hospital_->AddEdit(edit, field, edit == ui->HospitalNameEdit ? "M" : phone ? "PHONE" : "");
    }
    zip_ = cEditObject::Of(ui->HospitalZipEdit);
    const auto chained = zip_->ChainedExit;
    zip_->ChainedExit = [this, chained] {
        if (chained) chained();
        HospitalZipExit(*zip_);
    };
    // The server can place the hospital only from the zip it has stored, so
    // the position follows the zip's write, never a failed one.
    hospital_->SetSavedHandler([this] {
        if (!zipPending_ || zip_->Changed()) return;
        zipPending_ = false;
        const std::string error = UpdateProviderPosition(*session_.FunctionServer, user_.HospitalSeq);
        if (!error.empty())
            ShowMessageBox(this, "There was a problem updating the hospital's zip code:\n" + error,
                           "Error updating zip code");
    });
}

void TAdminMainForm::HospitalZipExit(cEditObject& zip) { zipPending_ = zip.Changed(); }

void TAdminMainForm::LoadHospital() {
    BindOnce();
    if (user_.HospitalSeq.empty()) return;
    if (!hospital_->LoadRecord(user_.HospitalSeq))
        ShowMessageBox(this, "The hospital's record could not be read.", "Error");
}

void TAdminMainForm::BindPersonnel() {
    person_ = std::make_unique<cEditObjects>(*session_.DataServer, cat::tbl::kPersonnel, ui->PersonnelEditPanel);
    person_->AddEdit(ui->PersonnelFirstNameEdit, "f11", "M");
    person_->AddEdit(ui->PersonnelMidNameEdit, "f12");
    person_->AddEdit(ui->PersonnelLastNameEdit, "f13");
    email_ = person_->AddEdit(ui->PersonnelEmailEdit, "f22", "M");
    // The password is no bound field: the server keeps only its hash and
    // never returns it, so the edit takes a new one only (see
    // PersonnelPasswordExit).
    person_->AddLookup(ui->PersonnelTypeEdit, "f24", "PersonnelTypes,L2,f10");
    person_->AddCheck(ui->DischargeTypeEdit, "f25");
    const auto chained = email_->ChainedExit;
    email_->ChainedExit = [this, chained] {
        if (chained) chained();
        PersonnelEmailExit(*email_);
    };
    // In edit mode the binding's button deletes the person: its caption says so.
    person_->SetSaveButton(ui->PersonnelSaveButton, "Save", "Delete", [this] { PersonnelSaveButtonDone(); });
    person_->SetAddedHandler([this] {
        const std::string password = ui->PersonnelPasswordEdit->text().toStdString();
        if (person_->RecordSeq().empty()) {
            ShowMessageBox(this, "The person could not be added: " + session_.DataServer->ErrorText, "Error");
            return;
        }
        if (!password.empty() && !WritePassword(*session_.DataServer, person_->RecordSeq(), password))
            ShowMessageBox(this, "The person was added, but the password could not be saved.", "Error");
        ui->PersonnelPasswordEdit->clear();
    });
    ui->PersonnelEditPanel->setEnabled(false);
}

// After an add or a delete: the list shows it, a person added stays on view
// to be edited, and a person deleted leaves nothing behind on the panel.
void TAdminMainForm::PersonnelSaveButtonDone() {
    const std::string seq = person_->RecordSeq();
    const bool deleted = seq.empty() && person_->BindingMode() == cEditObjects::Editing;
    LoadPersonnel();
    if (deleted) {
        for (QLineEdit* edit : ui->PersonnelEditPanel->findChildren<QLineEdit*>()) edit->clear();
        ui->PersonnelTypeEdit->setCurrentIndex(-1);
        ui->DischargeTypeEdit->setChecked(false);
        ui->PersonnelEditPanel->setEnabled(false);
        return;
    }
    for (std::size_t row = 0; row < personnel_.size(); ++row)
        if (personnel_[row].seq == seq) ui->PersonnelListBox->setCurrentRow(static_cast<int>(row));
}

void TAdminMainForm::PersonnelEmailExit(cEditObject& email) {
    const std::string typed = ui->PersonnelEmailEdit->text().toStdString();
    if (typed == acceptedEmail_ || typed.empty()) return;
    const std::string self = person_->BindingMode() == cEditObjects::Editing ? person_->RecordSeq() : std::string();
    const std::optional<bool> taken = EmailTakenByOther(*session_.DataServer, typed, self);
    if (taken == false) {
        acceptedEmail_ = typed;
        return;
    }
    // Neither a duplicate nor an e-mail that could not be checked is written.
    email.Cancel = true;
    if (!taken) {
        ShowMessageBox(this, "The email address could not be checked: " + session_.DataServer->ErrorText, "Error");
        return;
    }
    ShowMessageBox(this, kDuplicatePersonnel, "Duplicate Personnel");
    ui->PersonnelEmailEdit->setText(QString::fromStdString(acceptedEmail_));
    email.SetChanged(false);
}

void TAdminMainForm::PersonnelPasswordExit() {
    const std::string password = ui->PersonnelPasswordEdit->text().toStdString();
    if (password.empty() || !person_ || person_->BindingMode() != cEditObjects::Editing) return;
    if (!WritePassword(*session_.DataServer, person_->RecordSeq(), password)) {
        ShowMessageBox(this, "The password could not be saved.", "Error");
        return;
    }
    ui->PersonnelPasswordEdit->clear();
}

void TAdminMainForm::LoadPersonnel() {
    BindOnce();
    ui->PersonnelListBox->clear();
    personnel_.clear();
    const auto rows = QueryPersonnel(*session_.DataServer, user_.HospitalSeq);
    if (!rows) {
        personnelState_->Failed();
        return;
    }
    personnel_ = *rows;
    const QSignalBlocker quiet(ui->PersonnelListBox);
    for (const PersonRow& person : personnel_)
        ui->PersonnelListBox->addItem(
            QString::fromStdString(person.firstName + " " + person.lastName + (person.caseWorker ? " *" : "")));
    personnelState_->Loaded(static_cast<int>(personnel_.size()));
}

void TAdminMainForm::PersonnelListBoxClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= personnel_.size() || !person_) return;
    ui->PersonnelPasswordEdit->clear();
    if (!person_->LoadRecord(personnel_[static_cast<std::size_t>(row)].seq)) {
        ShowMessageBox(this, "The person could not be read.", "Error");
        return;
    }
    acceptedEmail_ = ui->PersonnelEmailEdit->text().toStdString();
    ui->PersonnelEditPanel->setEnabled(true);
}

void TAdminMainForm::PersonnelAddImageClick() {
    BindOnce();
    ui->PersonnelPasswordEdit->clear();
    acceptedEmail_.clear();
    ui->PersonnelEditPanel->setEnabled(true);
    person_->NewRecord("f" + std::to_string(cat::personnel::kHospital) + "=" + user_.HospitalSeq);
}

void TAdminMainForm::LoadCaseWorkers() {
    QTableWidget& grid = *ui->CaseWorkersGrid;
    grid.setRowCount(0);
    const auto loads = QueryCaseWorkerLoads(*session_.DataServer, *session_.FunctionServer, user_.HospitalSeq);
    if (!loads) {
        caseWorkersState_->Failed();
        return;
    }
    caseWorkersState_->Loaded(static_cast<int>(loads->size()));
    for (const CaseWorkerLoad& load : *loads) {
        const int row = grid.rowCount();
        grid.insertRow(row);
        grid.setItem(row, 0,
                     new QTableWidgetItem(QString::fromStdString(load.name + " (" +
                                                                 std::to_string(load.caseCount) + ")")));
        for (std::size_t g = 0; g < load.groups.size(); ++g) {
            auto* marks = new QLabel(StatusMarks(load.groups[g]));
            marks->setObjectName(QString("CaseWorkerMarks_%1_%2").arg(row).arg(g));
            grid.setCellWidget(row, static_cast<int>(g) + 1, marks);
        }
    }
}

void TAdminMainForm::LoadPreferredProviders() {
    ui->PreferredProvidersListBox->clear();
    preferred_.clear();
    ClearPreferredDetail();
    const auto rows = QueryPreferredProviders(*session_.DataServer, user_.HospitalSeq);
    const QSignalBlocker quiet(ui->PreferredProvidersListBox);
    if (!rows) {
        preferredState_->Failed();
        return;
    }
    preferred_ = *rows;
    for (const PreferredRow& row : preferred_)
        ui->PreferredProvidersListBox->addItem(QString::fromStdString(row.Field("p10")));
    preferredState_->Loaded(static_cast<int>(preferred_.size()));
}

void TAdminMainForm::ClearPreferredDetail() {
    for (QLabel* label : ui->PreferredDetailGrid->parentWidget()->findChildren<QLabel*>())
        if (label->objectName().startsWith("Preferred") && label->objectName().endsWith("Label")) label->clear();
}

void TAdminMainForm::PreferredProvidersListBoxClick(int row) {
    ClearPreferredDetail();
    if (row < 0 || static_cast<std::size_t>(row) >= preferred_.size()) return;
    for (const auto& [name, value] : preferred_[static_cast<std::size_t>(row)].fields) {
        const QString labelName = QString("Preferred%1Label").arg(QString::fromStdString(name));
        const bool phone = name == "p16" || name == "p17" || name == "p18" || name == "p19";
        if (auto* label = ui->AdminPanel->findChild<QLabel*>(labelName))
            label->setText(QString::fromStdString(phone ? PhoneDisplayText(value) : value));
    }
}

void TAdminMainForm::AddPreferredProviderButtonClick() {
    TAddProviderForm search(*session_.DataServer, OpenProviderCategories, this);
    if (ExecDialog(search) != QDialog::Accepted || search.ChosenSeq().empty()) return;
    if (!AddPreferredProvider(*session_.DataServer, user_.HospitalSeq, search.ChosenSeq()))
        ShowMessageBox(this, "Failed to add a preferred provider", "Error adding record");
    LoadPreferredProviders();
}

void TAdminMainForm::RemovePreferredProviderButtonClick() {
    const int row = ui->PreferredProvidersListBox->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= preferred_.size()) return;
    if (!RemovePreferredProvider(*session_.DataServer, preferred_[static_cast<std::size_t>(row)].linkSeq))
        ShowMessageBox(this, "Failed to remove a preferred provider", "Error deleting record");
    LoadPreferredProviders();
}

}  // namespace dalvero
