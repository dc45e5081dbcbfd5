#include "add_case_form.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <functional>

#include "case_records.h"
#include "case_labels.h"
#include "choice_box.h"
#include "date_edit.h"
#include "dialog_seam.h"
#include "main_window_state.h"
#include "phone_edit.h"
#include "record_batch.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_add_case_form.h"

namespace dalvero {

namespace {
namespace cat = catalogue;
namespace cs = catalogue::cases;
namespace pt = catalogue::patients;

constexpr int kHistoryRows = 10;
constexpr char kHistoryFields[] =
    "f12,f13,f16,f17,f19,f20,f21,f24,f27,f28,f29,f30,f31,f32,f33,f34,f35,f36,f37,f38,f39,f40,f41,f42,f43";

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
void SetText(QLineEdit* edit, const std::string& text) { edit->setText(QString::fromStdString(text)); }
constexpr auto F = FieldItem;
constexpr auto Item = RecordItem;
}  // namespace

TAddCaseForm::TAddCaseForm(MainWindowState& main, QWidget* parent)
    : cCaseDialog(parent),
      ui(std::make_unique<Ui::TAddCaseForm>()),
      session_(main.Session),
      user_(main.User),
      open_(main.Case) {
    ui->setupUi(this);
    ssn_ = new cDigitEdit(ui->PatientSSNEdit, kSsnFormat, false);
    phone_ = new cPhoneEdit(ui->PatientPhoneEdit);
    phone2_ = new cPhoneEdit(ui->PatientPhone2Edit);
    birthday_ = new cDateEdit(ui->PatientBirthdayEdit, this);
    connect(ssn_, &cDigitEdit::edited, this, &TAddCaseForm::PatientSSNEditChange);
    FillChoices(ui->PatientGenderEdit, GenderChoices());
    FillChoices(ui->PatientMaritalStatusEdit, MaritalChoices());
    FillChoices(ui->PatientEthnicityEdit, EthnicityChoices());
    FillLanguages(ui->LanguageComboBox, IntakeLanguages());
    BindSaveButton(ui->SaveNewCaseImageButton, [this] { SaveNewCaseImageButtonClick(); });
    BindButton(ui->CloseImage, [this] { CloseImageClick(); });
}

TAddCaseForm::~TAddCaseForm() = default;

void TAddCaseForm::FormActivate() {
    CaseAdded = false;
    IsNewPatient = true;
    PatientSeq.clear();
    CaseSeq.clear();
    PatientValues.clear();
    CaseValues.clear();
    // The number of the previous intake must not pass for this one's: the
    // same digits pasted again are looked up again.
    SsnDigits.clear();
    lookedUpSsn_.clear();
    ui->PatientSSNEdit->clear();
    ClearEntries();
    FillSeqChoices(ui->CaseWorkerDropDown, user_.CaseWorkers);
    if (user_.IsDischargePlanner)
        // Only when the planner is one of the hospital's case workers.
        ui->CaseWorkerDropDown->setCurrentIndex(ui->CaseWorkerDropDown->findText(
            QString::fromStdString(session_.UserField(cat::personnel::kFirstName) + " " +
                                   session_.UserField(cat::personnel::kLastName))));
    emptyPatient_ = PatientEntries();
    emptyCase_ = CaseEntries();
    std::vector<StringList> records{FieldsByNumber(emptyPatient_), FieldsByNumber(emptyCase_)};
    if (OfferKept(EditedRecords(), records)) ShowEntries(records);
    ui->PatientSSNEdit->setFocus();
}

std::vector<cCaseDialog::EditedRecord> TAddCaseForm::EditedRecords() const {
    if (CaseAdded) return {};
    // No record exists yet: the person and "new case" name the kept text.
    const std::string seq = "newcase" + session_.UserField(cat::kSeq);
    return {{cat::tbl::kPatients, seq, emptyPatient_, PatientEntries()},
            {cat::tbl::kCases, seq, emptyCase_, CaseEntries()}};
}

StringList TAddCaseForm::PatientEntries() const {
    // The birthday as typed, so that a half-typed date is kept too.
    return {F(pt::kFirstName, Text(ui->PatientFirstNameEdit)), F(pt::kMiddleName, Text(ui->PatientMiddleNameEdit)),
            F(pt::kLastName, Text(ui->PatientLastNameEdit)), F(pt::kSsn, ssn_->Digits()),
            F(pt::kBirthDate, Text(ui->PatientBirthdayEdit))};
}

StringList TAddCaseForm::CaseEntries() const {
    return {F(cs::kStreet, Text(ui->PatientStreetEdit)),
            F(cs::kCity, Text(ui->PatientCityEdit)),
            F(cs::kState, Text(ui->PatientStateEdit)),
            F(cs::kZip, Text(ui->PatientZipEdit)),
            // Digits, as every other screen stores them.
            F(cs::kPhone, phone_->Digits()),
            F(cs::kPhone2, phone2_->Digits()),
            F(cs::kEmail, Text(ui->PatientEmailEdit)),
            F(cs::kSex, ChosenText(ui->PatientGenderEdit)),
            F(cs::kMaritalStatus, ChosenText(ui->PatientMaritalStatusEdit)),
            F(cs::kEthnicity, ChosenText(ui->PatientEthnicityEdit)),
            F(cs::kLanguage, ChosenValue(ui->LanguageComboBox)),
            F(cs::kOtherLanguage, Text(ui->LanguageOtherEdit)),
            F(cs::kCaseWorker, ChosenValue(ui->CaseWorkerDropDown))};
}

void TAddCaseForm::ShowEntries(const std::vector<StringList>& records) {
    const auto at = [&records](std::size_t record, int field) { return Item(records[record], field); };
    // The number is not looked up here: Save looks it up before adding anyone.
    ssn_->SetNumber(at(0, pt::kSsn));
    SetText(ui->PatientFirstNameEdit, at(0, pt::kFirstName));
    SetText(ui->PatientMiddleNameEdit, at(0, pt::kMiddleName));
    SetText(ui->PatientLastNameEdit, at(0, pt::kLastName));
    SetText(ui->PatientBirthdayEdit, at(0, pt::kBirthDate));
    ShowContactEntries([&at](int field) { return at(1, field); });
    ChooseValue(ui->CaseWorkerDropDown, at(1, cs::kCaseWorker));
}

void TAddCaseForm::ShowContactEntries(const std::function<std::string(int)>& field) {
    SetText(ui->PatientStreetEdit, field(cs::kStreet));
    SetText(ui->PatientCityEdit, field(cs::kCity));
    SetText(ui->PatientStateEdit, field(cs::kState));
    SetText(ui->PatientZipEdit, field(cs::kZip));
    phone_->SetNumber(field(cs::kPhone));
    phone2_->SetNumber(field(cs::kPhone2));
    SetText(ui->PatientEmailEdit, field(cs::kEmail));
    ChooseText(ui->PatientGenderEdit, field(cs::kSex));
    ChooseText(ui->PatientMaritalStatusEdit, field(cs::kMaritalStatus));
    ChooseText(ui->PatientEthnicityEdit, field(cs::kEthnicity));
    ChooseValue(ui->LanguageComboBox, field(cs::kLanguage).substr(0, 3));
    SetText(ui->LanguageOtherEdit, field(cs::kOtherLanguage));
}

void TAddCaseForm::ClearEntries() {
    for (QLineEdit* e : {ui->PatientFirstNameEdit, ui->PatientMiddleNameEdit, ui->PatientLastNameEdit,
                         ui->PatientBirthdayEdit, ui->PatientStreetEdit, ui->PatientCityEdit, ui->PatientStateEdit,
                         ui->PatientZipEdit, ui->PatientPhoneEdit, ui->PatientPhone2Edit, ui->PatientEmailEdit,
                         ui->LanguageOtherEdit})
        e->clear();
    for (QComboBox* c :
         {ui->PatientGenderEdit, ui->PatientMaritalStatusEdit, ui->PatientEthnicityEdit, ui->LanguageComboBox})
        c->setCurrentIndex(-1);
    ui->PreviousHistoryListBox->clear();
    ui->PrevCaseHistoryPanel->hide();
    filledFromRecord_ = false;
}

void TAddCaseForm::PatientSSNEditChange() {
    const std::string digits = ssn_->Digits();
    if (digits == SsnDigits) return;
    SsnDigits = digits;
    LookUpPatient();
}

void TAddCaseForm::LookUpPatient() {
    // What a found patient filled in goes with the number; a new patient's
    // typing stays while the number is corrected.
    if (filledFromRecord_) ClearEntries();
    PatientValues.clear();
    PatientSeq.clear();
    IsNewPatient = true;
    lookedUpSsn_.clear();
    if (SsnDigits.size() != 9) return;
    const bool found =
        FindRecord(*session_.DataServer, cat::tbl::kPatients, pt::kListBySsn, SsnDigits, "", PatientValues);
    // Only an answer of "no such patient" lets a new one be added; a look-up
    // that failed proves nothing.
    if (found ? Item(PatientValues, cat::kSeq).empty() : PatientValues.CommaText() != "~") {
        PatientValues.clear();
        return;
    }
    lookedUpSsn_ = SsnDigits;
    if (!found) {
        PatientValues.clear();
        return;
    }
    IsNewPatient = false;
    filledFromRecord_ = true;
    PatientSeq = PatientValues[cat::kSeq];
    SetText(ui->PatientFirstNameEdit, Item(PatientValues, pt::kFirstName));
    SetText(ui->PatientMiddleNameEdit, Item(PatientValues, pt::kMiddleName));
    SetText(ui->PatientLastNameEdit, Item(PatientValues, pt::kLastName));
    SetText(ui->PatientBirthdayEdit, DateToDisplay(Item(PatientValues, pt::kBirthDate)));
    LoadPreviousHistory();
}

void TAddCaseForm::LoadPreviousHistory() {
    cRecordBatch batch;
    if (!batch.Query(session_.DataServer.get(), cat::tbl::kCases, cs::kListByPatient, PatientSeq, "", 0,
                     kHistoryRows, kHistoryFields, "", "", "L") ||
        !batch.Set->First())
        return;
    cBatchSet& set = *batch.Set;
    ShowContactEntries([&set](int field) { return set.ReadField(field); });
    do {
        const auto shown = [&set](int field) {
            const CivilDate d = set.ReadDate(field);
            return QString::fromStdString(d.IsNull() ? std::string() : ToDisplay(d));
        };
        new QTreeWidgetItem(ui->PreviousHistoryListBox, {shown(cs::kAdmission), shown(cs::kDischarge)});
    } while (set.Next());
    ui->PrevCaseHistoryPanel->show();
}

std::string TAddCaseForm::MissingChoice() const {
    if (ui->PatientGenderEdit->currentIndex() < 0) return "Gender";
    if (ui->PatientMaritalStatusEdit->currentIndex() < 0) return "Marital Status";
    if (ui->PatientEthnicityEdit->currentIndex() < 0) return "Ethnicity";
    return {};
}

StringList TAddCaseForm::NewCaseValues() const {
    StringList v{F(cs::kPatient, PatientSeq), F(cs::kHospital, Item(user_.HospitalRecord, cat::kSeq))};
    // No language or case worker chosen is left out rather than written empty.
    for (const std::string& item : CaseEntries()) {
        const int field = FieldOf(item);
        const bool unchosen = item.ends_with('=') && (field == cs::kLanguage || field == cs::kCaseWorker);
        if (!unchosen) v.push_back(item);
    }
    return v;
}

void TAddCaseForm::SaveNewCaseImageButtonClick() {
    if (ui->PatientSSNEdit->text().size() != 11 || ui->PatientFirstNameEdit->text().isEmpty()) return;
    // Checked before anything is written, so that no half case is left.
    if (const std::string missing = MissingChoice(); !missing.empty()) {
        ShowMessageBox(this, "Please choose the patient's " + missing + ".", "Missing Data");
        return;
    }
    if (IsNewPatient && lookedUpSsn_ != ssn_->Digits()) {
        SsnDigits = ssn_->Digits();
        LookUpPatient();
        if (lookedUpSsn_ != SsnDigits) {
            ShowMessageBox(this, "The patient could not be looked up: the data server cannot be reached.", "Error");
            return;
        }
        // A known patient now fills the window: the planner sees it before saving.
        if (!IsNewPatient) return;
    }
    CaseAdded = true;
    CaseValues.clear();
    SsnDigits = ssn_->Digits();
    dbServerConnection& db = *session_.DataServer;
    if (IsNewPatient) {
        PatientValues = {F(pt::kFirstName, Text(ui->PatientFirstNameEdit)),
                         F(pt::kMiddleName, Text(ui->PatientMiddleNameEdit)),
                         F(pt::kLastName, Text(ui->PatientLastNameEdit)), F(pt::kSsn, SsnDigits),
                         F(pt::kBirthDate, birthday_->Value())};
        const std::string seq = AddRecord(db, cat::tbl::kPatients, PatientValues);
        if (seq.empty()) {
            ShowMessageBox(this, "Failed to add patient record", "Error");
            CaseAdded = false;
            return;
        }
        // A retry after a failed case add must not add the patient again.
        PatientSeq = seq;
        open_.CurrentPatientSeq = seq;
        IsNewPatient = false;
    }
    CaseValues = NewCaseValues();
    CaseSeq = AddRecord(db, cat::tbl::kCases, CaseValues);
    if (CaseSeq.empty()) {
        ShowMessageBox(this, "Failed to add case record", "Error");
        CaseAdded = false;
        return;
    }
    accept();
}

void TAddCaseForm::CloseImageClick() { reject(); }

std::string TAddCaseForm::PatientName() const {
    return Text(ui->PatientFirstNameEdit) + " " + Text(ui->PatientLastNameEdit);
}

}  // namespace dalvero
