#include "patient_editors.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <array>
#include <tuple>
#include <utility>

#include "case_queries.h"
#include "case_records.h"
#include "loaded_write.h"
#include "case_labels.h"
#include "choice_box.h"
#include "control_events.h"
#include "date_edit.h"
#include "date_text.h"
#include "dialog_seam.h"
#include "main_window_state.h"
#include "phone_edit.h"
#include "table_catalogue.h"
#include "time_edit.h"
#include "ui_patient_admission_form.h"
#include "ui_patient_edit_discharge_form.h"
#include "ui_patient_identification_edit_form.h"
#include "ui_patient_info_edit_form.h"

namespace dalvero {

namespace {
namespace cs = catalogue::cases;
namespace pt = catalogue::patients;
constexpr auto F = FieldItem;
constexpr auto Item = RecordItem;

// The two records of the editors of the open patient and its case.
std::vector<cCaseDialog::EditedRecord> PatientAndCase(const OpenCase& open, const StringList& shownPatient,
                                                      StringList patient, const StringList& shownCase,
                                                      StringList record) {
    return {{catalogue::tbl::kPatients, open.CurrentPatientSeq, shownPatient, std::move(patient)},
            {catalogue::tbl::kCases, open.CurrentCaseSeq, shownCase, std::move(record)}};
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
void SetText(QLineEdit* edit, const std::string& text) { edit->setText(QString::fromStdString(text)); }

// How the patient left: each button with its stored code.
std::array<std::pair<QRadioButton*, const char*>, 4> LeftButtons(const Ui::TPatientEditDischargeForm& ui) {
    return {{{ui.OnTheirOwnRB, cs::kLeftOwn},
             {ui.FamilyMemberCB, cs::kLeftWithFamily},
             {ui.TransportCB, cs::kLeftTransported},
             {ui.OtherRB, cs::kLeftOther}}};
}
}  // namespace

// --- identification ---------------------------------------------------------

TPatientIdentificationEditForm::TPatientIdentificationEditForm(MainWindowState& main, QWidget* parent)
    : cCaseDialog(parent),
      ui(std::make_unique<Ui::TPatientIdentificationEditForm>()),
      session_(main.Session),
      open_(main.Case) {
    ui->setupUi(this);
    ssn_ = new cDigitEdit(ui->PatientSSNEdit, kSsnFormat, false);
    phone_ = new cPhoneEdit(ui->PatientPhoneEdit);
    phone2_ = new cPhoneEdit(ui->PatientPhone2Edit);
    ControlEvents::Of(ui->PatientSSNEdit).Exit = [this] { PatientSSNEditExit(); };
    BindButton(ui->SaveNewCaseImageButton, [this] { SaveNewCaseImageButtonClick(); });
    BindButton(ui->BackButtonImage, [this] { reject(); });
}

TPatientIdentificationEditForm::~TPatientIdentificationEditForm() = default;

bool TPatientIdentificationEditForm::Load() {
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->clear();
    if (!ReadOpenPatient(session_, open_, this, patient_) || !ReadOpenCase(session_, open_, this, case_)) return false;
    ShowLoaded({patient_, case_}, [this](const std::vector<StringList>& r) { Show(r[0], r[1]); },
               [this] { std::tie(shownPatient_, shownCase_) = std::pair(PatientValues(), CaseValues()); });
    return true;
}

std::vector<cCaseDialog::EditedRecord> TPatientIdentificationEditForm::EditedRecords() const {
    return PatientAndCase(open_, shownPatient_, PatientValues(), shownCase_, CaseValues());
}

void TPatientIdentificationEditForm::Show(const StringList& patient, const StringList& record) {
    lastValidSsn_.clear();
    ssn_->SetNumber(Item(patient, pt::kSsn));
    if (ssn_->Digits().size() == 9) lastValidSsn_ = ui->PatientSSNEdit->text();
    SetText(ui->PatientFirstNameEdit, Item(patient, pt::kFirstName));
    SetText(ui->PatientMiddleNameEdit, Item(patient, pt::kMiddleName));
    SetText(ui->PatientLastNameEdit, Item(patient, pt::kLastName));
    SetText(ui->PatientStreetEdit, Item(record, cs::kStreet));
    SetText(ui->PatientCityEdit, Item(record, cs::kCity));
    SetText(ui->PatientStateEdit, Item(record, cs::kState));
    SetText(ui->PatientZipEdit, Item(record, cs::kZip));
    phone_->SetNumber(Item(record, cs::kPhone));
    phone2_->SetNumber(Item(record, cs::kPhone2));
    SetText(ui->PatientEmailEdit, Item(record, cs::kEmail));
}

bool TPatientIdentificationEditForm::PatientSSNEditExit() {
    if (ssn_->Digits().size() == 9) {
        lastValidSsn_ = ui->PatientSSNEdit->text();
        return true;
    }
    ShowMessageBox(this, "The SSN is not 9 numbers", "SSN Invalid");
    ui->PatientSSNEdit->setText(lastValidSsn_);
    return false;
}

StringList TPatientIdentificationEditForm::PatientValues() const {
    return {F(pt::kSsn, ssn_->Digits()), F(pt::kFirstName, Text(ui->PatientFirstNameEdit)),
            F(pt::kMiddleName, Text(ui->PatientMiddleNameEdit)), F(pt::kLastName, Text(ui->PatientLastNameEdit))};
}

StringList TPatientIdentificationEditForm::CaseValues() const {
    return {F(cs::kStreet, Text(ui->PatientStreetEdit)), F(cs::kCity, Text(ui->PatientCityEdit)),
            F(cs::kState, Text(ui->PatientStateEdit)),   F(cs::kZip, Text(ui->PatientZipEdit)),
            F(cs::kPhone, phone_->Digits()),             F(cs::kPhone2, phone2_->Digits()),
            F(cs::kEmail, Text(ui->PatientEmailEdit))};
}

void TPatientIdentificationEditForm::SaveNewCaseImageButtonClick() {
    if (!PatientSSNEditExit()) return;
    if (UpdateOpenPatient(session_, open_, this, ChangedItems(shownPatient_, PatientValues()), patient_) &&
        UpdateOpenCase(session_, open_, this, ChangedItems(shownCase_, CaseValues()), case_))
        accept();
}

// --- admission --------------------------------------------------------------

TPatientAdmissionForm::TPatientAdmissionForm(MainWindowState& main, QWidget* parent)
    : cCaseDialog(parent), ui(std::make_unique<Ui::TPatientAdmissionForm>()), session_(main.Session), open_(main.Case) {
    ui->setupUi(this);
    admitDate_ = new cDateEdit(ui->AdmitDateEdit, this);
    BindSaveButton(ui->SaveNewCaseImageButton, [this] { SaveNewCaseImageButtonClick(); });
    BindButton(ui->BackButtonImage, [this] { reject(); });
}

TPatientAdmissionForm::~TPatientAdmissionForm() = default;

bool TPatientAdmissionForm::Load() {
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->clear();
    if (!ReadOpenCase(session_, open_, this, case_)) return false;
    ShowLoaded({case_}, [this](const std::vector<StringList>& r) { Show(r[0]); },
               [this] { shownCase_ = CaseValues(); });
    return true;
}

std::vector<cCaseDialog::EditedRecord> TPatientAdmissionForm::EditedRecords() const {
    return {{catalogue::tbl::kCases, open_.CurrentCaseSeq, shownCase_, CaseValues()}};
}

void TPatientAdmissionForm::Show(const StringList& record) {
    SetText(ui->AdmitDateEdit, DateToDisplay(Item(record, cs::kAdmission)));
    SetText(ui->CaseNumberEdit, Item(record, cs::kCaseNumber));
    SetText(ui->RoomEdit, Item(record, cs::kRoom));
    SetText(ui->BedEdit, Item(record, cs::kBed));
}

StringList TPatientAdmissionForm::CaseValues() const {
    return {F(cs::kAdmission, admitDate_->Value()), F(cs::kCaseNumber, Text(ui->CaseNumberEdit)),
            F(cs::kRoom, Text(ui->RoomEdit)), F(cs::kBed, Text(ui->BedEdit))};
}

void TPatientAdmissionForm::SaveNewCaseImageButtonClick() {
    if (UpdateOpenCase(session_, open_, this, ChangedItems(shownCase_, CaseValues()), case_)) accept();
}

// --- patient information ----------------------------------------------------

TPatientInfoEditForm::TPatientInfoEditForm(MainWindowState& main, QWidget* parent)
    : cCaseDialog(parent), ui(std::make_unique<Ui::TPatientInfoEditForm>()), session_(main.Session), open_(main.Case) {
    ui->setupUi(this);
    birthday_ = new cDateEdit(ui->PatientBirthdayEdit, this);
    FillChoices(ui->PatientGenderEdit, GenderChoices());
    FillChoices(ui->PatientMaritalStatusEdit, MaritalChoices());
    FillChoices(ui->PatientEthnicityEdit, EthnicityChoices());
    FillLanguages(ui->LanguageComboBox, InfoEditLanguages());
    BindButton(ui->SaveNewCaseImageButton, [this] { SaveNewCaseImageButtonClick(); });
    BindButton(ui->BackButtonImage, [this] { reject(); });
}

TPatientInfoEditForm::~TPatientInfoEditForm() = default;

bool TPatientInfoEditForm::Load() {
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->clear();
    for (QComboBox* c : findChildren<QComboBox*>()) c->setCurrentIndex(-1);
    if (!ReadOpenPatient(session_, open_, this, patient_) || !ReadOpenCase(session_, open_, this, case_)) return false;
    ShowLoaded({patient_, case_}, [this](const std::vector<StringList>& r) { Show(r[0], r[1]); },
               [this] { std::tie(shownPatient_, shownCase_) = std::pair(PatientValues(), CaseValues()); });
    return true;
}

std::vector<cCaseDialog::EditedRecord> TPatientInfoEditForm::EditedRecords() const {
    return PatientAndCase(open_, shownPatient_, PatientValues(), shownCase_, CaseValues());
}

void TPatientInfoEditForm::Show(const StringList& patient, const StringList& record) {
    SetText(ui->PatientBirthdayEdit, DateToDisplay(Item(patient, pt::kBirthDate)));
    SetText(ui->HeightEdit, Item(record, cs::kHeight));
    SetText(ui->WeightEdit, Item(record, cs::kWeight));
    ChooseText(ui->PatientGenderEdit, Item(record, cs::kSex));
    ChooseText(ui->PatientMaritalStatusEdit, Item(record, cs::kMaritalStatus));
    ChooseText(ui->PatientEthnicityEdit, Item(record, cs::kEthnicity));
    SetText(ui->LanguageOtherEdit, Item(record, cs::kOtherLanguage));
    ChooseValue(ui->LanguageComboBox, Item(record, cs::kLanguage));
}

StringList TPatientInfoEditForm::PatientValues() const { return {F(pt::kBirthDate, birthday_->Value())}; }

StringList TPatientInfoEditForm::CaseValues() const {
    StringList values{F(cs::kHeight, Text(ui->HeightEdit)),
                      F(cs::kWeight, Text(ui->WeightEdit)),
                      F(cs::kSex, ChosenText(ui->PatientGenderEdit)),
                      F(cs::kMaritalStatus, ChosenText(ui->PatientMaritalStatusEdit)),
                      F(cs::kEthnicity, ChosenText(ui->PatientEthnicityEdit)),
                      F(cs::kOtherLanguage, Text(ui->LanguageOtherEdit))};
    if (const std::string code = ChosenValue(ui->LanguageComboBox); !code.empty())
        values.push_back(F(cs::kLanguage, code));
    return values;
}

void TPatientInfoEditForm::SaveNewCaseImageButtonClick() {
    if (UpdateOpenPatient(session_, open_, this, ChangedItems(shownPatient_, PatientValues()), patient_) &&
        UpdateOpenCase(session_, open_, this, ChangedItems(shownCase_, CaseValues()), case_))
        accept();
}

// --- discharge --------------------------------------------------------------

TPatientEditDischargeForm::TPatientEditDischargeForm(MainWindowState& main, QWidget* parent)
    : cCaseDialog(parent),
      ui(std::make_unique<Ui::TPatientEditDischargeForm>()),
      session_(main.Session),
      user_(main.User),
      open_(main.Case) {
    ui->setupUi(this);
    date_ = new cDateEdit(ui->DischargeDateEdit, this);
    time_ = new cTimeEdit(ui->DischargeTimeEdit, false);
    BindButton(ui->SaveNewCaseImageButton, [this] { SaveNewCaseImageButtonClick(); });
    BindButton(ui->BackButtonImage, [this] { reject(); });
}

TPatientEditDischargeForm::~TPatientEditDischargeForm() = default;

bool TPatientEditDischargeForm::Load() {
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->clear();
    for (QRadioButton* b : findChildren<QRadioButton*>()) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    if (!ReadOpenCase(session_, open_, this, case_)) return false;
    dbServerConnection& db = *session_.DataServer;
    FillSeqChoices(ui->CaseWorkerDropDown, QueryCaseWorkers(db, user_.HospitalSeq));
    const auto insurances = QueryInsuranceTypes(db);
    for (QComboBox* c : {ui->PrimaryInsDropdown, ui->SecondaryInsDropdown, ui->ThirdInsDropdown})
        FillSeqChoices(c, insurances);
    ShowLoaded({case_}, [this](const std::vector<StringList>& r) { Show(r[0]); },
               [this] { shownCase_ = CaseValues(); });
    return true;
}

std::vector<cCaseDialog::EditedRecord> TPatientEditDischargeForm::EditedRecords() const {
    return {{catalogue::tbl::kCases, open_.CurrentCaseSeq, shownCase_, CaseValues()}};
}

void TPatientEditDischargeForm::Show(const StringList& record) {
    ChooseValue(ui->CaseWorkerDropDown, Item(record, cs::kCaseWorker));
    ChooseValue(ui->PrimaryInsDropdown, Item(record, cs::kPrimaryInsurance));
    ChooseValue(ui->SecondaryInsDropdown, Item(record, cs::kSecondaryInsurance));
    ChooseValue(ui->ThirdInsDropdown, Item(record, cs::kThirdInsurance));
    const std::string stamp = Item(record, cs::kDischarge);
    SetText(ui->DischargeDateEdit, DateToDisplay(stamp));
    SetText(ui->DischargeTimeEdit, StampTimeOfDay(stamp));
    const std::string how = Item(record, cs::kLeftHow);
    for (auto [button, code] : LeftButtons(*ui))
        if (how == code) button->setChecked(true);
    SetText(ui->ExplainEdit, Item(record, cs::kLeftHowDetail));
}

StringList TPatientEditDischargeForm::CaseValues() const {
    StringList values{F(cs::kDischarge, DischargeStamp(date_->Value(), time_->Value()))};
    for (auto [box, field] : {std::pair{ui->CaseWorkerDropDown, cs::kCaseWorker},
                              std::pair{ui->PrimaryInsDropdown, cs::kPrimaryInsurance},
                              std::pair{ui->SecondaryInsDropdown, cs::kSecondaryInsurance},
                              std::pair{ui->ThirdInsDropdown, cs::kThirdInsurance}})
        if (const std::string seq = ChosenValue(box); !seq.empty()) values.push_back(F(field, seq));
    for (auto [button, code] : LeftButtons(*ui))
        if (button->isChecked()) values.push_back(F(cs::kLeftHow, code));
    values.push_back(F(cs::kLeftHowDetail, Text(ui->ExplainEdit)));
    return values;
}

void TPatientEditDischargeForm::SaveNewCaseImageButtonClick() {
    if (UpdateOpenCase(session_, open_, this, ChangedItems(shownCase_, CaseValues()), case_)) accept();
}

}  // namespace dalvero
