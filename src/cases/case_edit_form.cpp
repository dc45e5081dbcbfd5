#include "case_edit_form.h"

#include <QMouseEvent>
#include <QPlainTextEdit>

#include "case_labels.h"
#include "case_list_editors.h"
#include "case_list_navigation_form.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "control_text.h"
#include "date_text.h"
#include "dialog_seam.h"
#include "elided_text.h"
#include "field_saves.h"
#include "field_tag.h"
#include "image_button.h"
#include "item_list_model.h"
#include "main_window_state.h"
#include "note_limit.h"
#include "patient_editors.h"
#include "phone_text.h"
#include "record_ops.h"
#include "sub_list_delegate.h"
#include "table_catalogue.h"
#include "ui_case_edit_form.h"

namespace dalvero {

namespace {
namespace cat = catalogue;
namespace cs = catalogue::cases;

// Besides the bound fields the screen reads the case worker, the
// insurances, the patient and the case's own fields.
constexpr char kJoinedFields[] =
    ",cm11,cm13,ip10,is10,it10,P10,P11,P12,P13,P14,P15,P16,P17,f12,f13,f14,f15,f16,f17,f19,f20,f21,f22,f23,f30,f32,"
    "f33,f34,f35,f36,f37,f39,f40,f41,f42,f43,f44,f45";
constexpr char kCaseAliases[] =
    "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,it=InsuranceTypes:f21";
const QColor kDimmed(0x80, 0x80, 0x80);

std::string F(int field) { return "f" + std::to_string(field); }

// The four columns keep their share of the width, so a long address or
// insurance name is shortened rather than widening its column.
void SetLabel(QLabel* label, const std::string& text) { ShowElided(label, QString::fromStdString(text)); }

// Fields of one record read by Seq ("all" of them) as name=value items.
StringList RecordFields(dbServerConnection& db, const char* table, const std::string& seq) {
    std::string fields = "all";
    if (seq.empty() || !ReadRecordFields(db, table, seq, fields)) return {};
    return StringList(ParseCommaText(fields));
}
}  // namespace

TCaseEditForm::TCaseEditForm(MainWindowState& main, cCaseScreens& screens)
    : ui(std::make_unique<Ui::TCaseEditForm>()),
      session_(main.Session),
      open_(main.Case),
      saves_(main.Saves),
      actions_(main.Actions),
      screens_(screens) {
    ui->setupUi(this);
    QListView* const lists[] = {ui->PhysicianListBox, ui->FamilyListBox, ui->DiagnosisCodeListBox,
                                ui->TreatmentCodeListBox};
    static constexpr std::array<const char*, 4> kEmptyTexts{"No physicians yet", "No family members yet",
                                                            "No diagnosis codes yet", "No treatment codes yet"};
    for (std::size_t i = 0; i < subLists_.size(); ++i) {
        subLists_[i] = new cItemListModel(this);
        subListStates_[i] = new cListState(lists[i], kEmptyTexts[i]);
        lists[i]->setModel(subLists_[i]);
        lists[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lists[i]->setItemDelegate(new cSubListDelegate(static_cast<CaseSubList>(i), *subLists_[i], lists[i]));
        content_.AddList([model = subLists_[i]] { model->Clear(); });
    }
    const std::array<void (TCaseEditForm::*)(), 4> opens{
        &TCaseEditForm::PhysicianListBoxMouseDown, &TCaseEditForm::FamilyListBoxMouseDown,
        &TCaseEditForm::DiagnosisCodeListBoxMouseDown, &TCaseEditForm::TreatmentCodeListBoxMouseDown};
    for (std::size_t i = 0; i < opens.size(); ++i) {
        // A press anywhere in the list, rows or not, opens its editor.
        lists[i]->viewport()->installEventFilter(this);
        connect(lists[i], &QListView::activated, this, opens[i]);
    }
    content_.AddControls({ui->CaseDiagnosisMemo, ui->PatientNameLabel, ui->SSN_Label, ui->BirthdateLabel,
                          ui->StreetLabel, ui->CityLabel, ui->StateZipLabel, ui->Phone1Label, ui->Phone2Label,
                          ui->EmailLabel, ui->GenderLabel, ui->EthnicityLabel, ui->LanguageLabel,
                          ui->OtherLanguageLabel, ui->AdmitDateLabel, ui->CaseNumberLabel, ui->RoomLabel,
                          ui->HeightLabel, ui->WeightLabel, ui->DischargeDateLabel, ui->CaseWorkerLabel,
                          ui->PrimaryInsuranceLabel, ui->SecondaryInsLabel, ui->ThirdInsLabel, ui->LeftWithLabel});
    // Nothing is written before a case has loaded.
    content_.Clear();
    cImageButton::Painted(ui->SaveNewCaseImageButton, ImageButtonArt::Shape::Button);
    connect(cImageButton::Painted(ui->CloseCaseImageButton, ImageButtonArt::Shape::Button), &cImageButton::clicked,
            this, &TCaseEditForm::CloseCaseImageButtonClick);
    for (QWidget* shape : {ui->Shape1, ui->Shape5, ui->Shape7, ui->DischargeEditShape}) shape->installEventFilter(this);
    LimitNoteLength(ui->CaseDiagnosisMemo, cs::kDiagnosisNoteBytes);
}

TCaseEditForm::~TCaseEditForm() = default;

QWidget* TCaseEditForm::Panel() const { return ui->CaseEditPanel; }

cItemListModel& TCaseEditForm::SubList(CaseSubList which) const { return *subLists_[static_cast<std::size_t>(which)]; }

cListState& TCaseEditForm::SubListState(CaseSubList which) const {
    return *subListStates_[static_cast<std::size_t>(which)];
}

QPlainTextEdit* TCaseEditForm::CaseDiagnosisMemo() const { return ui->CaseDiagnosisMemo; }

QLabel* TCaseEditForm::SaveNewCaseImageButton() const { return ui->SaveNewCaseImageButton; }

bool TCaseEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    if (watched == ui->PhysicianListBox->viewport()) PhysicianListBoxMouseDown();
    else if (watched == ui->FamilyListBox->viewport()) FamilyListBoxMouseDown();
    else if (watched == ui->DiagnosisCodeListBox->viewport()) DiagnosisCodeListBoxMouseDown();
    else if (watched == ui->TreatmentCodeListBox->viewport()) TreatmentCodeListBoxMouseDown();
    else if (watched == ui->Shape1) Shape1MouseDown();
    else if (watched == ui->Shape5) Shape5MouseDown();
    else if (watched == ui->Shape7) Shape7MouseDown();
    else if (watched == ui->DischargeEditShape) DischargeEditShapeMouseDown();
    else return false;
    return true;
}

bool TCaseEditForm::FillCaseForm() {
    StringList bound;
    for (const auto& [number, control] : open_.CaseEditControls) bound.push_back("f" + number);
    std::string values;
    if (!GetRecordFields(*session_.DataServer, catalogue::tbl::kCases, open_.CurrentCaseSeq,
                         bound.CommaText() + kJoinedFields, values, kCaseAliases)) {
        LoadFailed();
        return false;
    }
    StringList& v = open_.CaseFieldValues;
    v.SetCommaText(values);

    const std::string caseNumber = v.Value(F(cs::kCaseNumber));
    open_.CurrentCaseNumber = caseNumber.empty() ? open_.CurrentCaseSeq : caseNumber;
    const std::string patient = v.Value("P10") + " " + v.Value("P12");
    actions_.ShowCaseInformation(open_.CurrentCaseNumber, patient);
    actions_.SetApplicationTitle(patient);
    FillLabels();

    for (const auto& [number, control] : open_.CaseEditControls) {
        SetControlText(control, v.Value("f" + number));
        SetFieldChanged(control, false);
        saves_.FieldSaves.Loaded(catalogue::tbl::kCases, open_.CurrentCaseSeq, ToIntDef(number, 0),
                                v.Value("f" + number));
    }
    content_.Loaded(open_.CurrentCaseSeq);
    std::vector<QWidget*> controls;
    for (const auto& [number, control] : open_.CaseEditControls) controls.push_back(control);
    saves_.FieldSaves.OfferRecovered(catalogue::tbl::kCases, open_.CurrentCaseSeq, controls, Panel());
    return true;
}

void TCaseEditForm::LoadFailed() {
    content_.LoadFailed(Panel(), "case");
    actions_.HideCaseInformation();
}

void TCaseEditForm::FillLabels() {
    const StringList& v = open_.CaseFieldValues;
    const auto f = [&v](int field) { return v.Value(F(field)); };
    SetLabel(ui->PatientNameLabel, PatientFullName(v.Value("P10"), v.Value("P11"), v.Value("P12")));
    SetLabel(ui->SSN_Label, SsnLabel(v.Value("P13")));
    SetLabel(ui->BirthdateLabel, DateToDisplay(v.Value("P14")));
    SetLabel(ui->StreetLabel, f(cs::kStreet));
    SetLabel(ui->CityLabel, f(cs::kCity));
    SetLabel(ui->StateZipLabel, f(cs::kState) + "  " + f(cs::kZip));
    SetLabel(ui->Phone1Label, PhoneDisplayText(f(cs::kPhone)));
    SetLabel(ui->Phone2Label, PhoneDisplayText(f(cs::kPhone2)));
    SetLabel(ui->EmailLabel, f(cs::kEmail));
    SetLabel(ui->GenderLabel, GenderMaritalText(f(cs::kSex), f(cs::kMaritalStatus)));
    SetLabel(ui->EthnicityLabel, f(cs::kEthnicity));
    SetLabel(ui->LanguageLabel, LanguageName(f(cs::kLanguage)));
    SetLabel(ui->OtherLanguageLabel, f(cs::kOtherLanguage));
    SetLabel(ui->AdmitDateLabel, DateToDisplay(f(cs::kAdmission)));
    SetLabel(ui->CaseNumberLabel, f(cs::kCaseNumber));
    SetLabel(ui->RoomLabel, RoomText(f(cs::kRoom), f(cs::kBed)));
    SetLabel(ui->HeightLabel, f(cs::kHeight));
    SetLabel(ui->WeightLabel, f(cs::kWeight));
    SetLabel(ui->DischargeDateLabel, DateTimeToDisplay(f(cs::kDischarge)));
    SetLabel(ui->LeftWithLabel, LeftWithText(f(cs::kLeftHow), f(cs::kLeftHowDetail)));

    dbServerConnection& db = *session_.DataServer;
    const StringList worker = RecordFields(db, cat::tbl::kPersonnel, f(cs::kCaseWorker));
    SetLabel(ui->CaseWorkerLabel, worker.empty() ? std::string()
                                                 : PersonDisplayName(worker.Value("f10"), worker.Value("f11"),
                                                                     worker.Value("f13")));
    for (auto [label, field] : {std::pair{ui->PrimaryInsuranceLabel, cs::kPrimaryInsurance},
                                std::pair{ui->SecondaryInsLabel, cs::kSecondaryInsurance},
                                std::pair{ui->ThirdInsLabel, cs::kThirdInsurance}})
        SetLabel(label, RecordFields(db, cat::tbl::kInsuranceTypes, f(field))
                            .Value(F(cat::insurance_types::kLabelName)));
}

void TCaseEditForm::ShowEditControls() {
    ui->SaveNewCaseImageButton->hide();
    for (QWidget* w : {static_cast<QWidget*>(ui->CloseCaseImageButton), static_cast<QWidget*>(ui->PatientNamePanel),
                       ui->Shape1, static_cast<QWidget*>(ui->PatientInformationPanel),
                       static_cast<QWidget*>(ui->Label1)})
        w->show();
}

void TCaseEditForm::AttachChangeHandler(QWidget* control) {
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        connect(memo, &QPlainTextEdit::textChanged, this, [memo] {
            // Text the program puts in is not a change.
            if (memo->document()->isModified()) SetFieldChanged(memo, true);
        });
}

void TCaseEditForm::DimScreen(bool on) {
    QWidget* window = ui->CaseEditPanel->window();
    for (QWidget* w : {window, ui->CaseEditPanel}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, on ? kDimmed : QColor(Qt::white));
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    QWidget* logo = window->findChild<QWidget*>("HospLogoImage");
    const bool hasLogo = logo && !window->findChild<QLabel*>("HospLogoImage")->pixmap().isNull();
    for (QWidget* w : {logo, static_cast<QWidget*>(ui->CloseCaseImageButton), screens_.CaseNavigation->Panel(),
                       screens_.ListNavigation->Panel()})
        if (w && (w != logo || hasLogo)) w->setVisible(!on);
}

template <typename Editor>
void TCaseEditForm::OpenEditor(Editor& editor) {
    if (LoadedCaseSeq().empty()) return;
    // The notes typed so far go first: the editor's changes are read back
    // over the whole screen.
    actions_.SavePendingCaseFields();
    DimScreen(true);
    if (editor.Load()) ExecDialog(editor);
    FillCaseForm();
    DimScreen(false);
}

void TCaseEditForm::Shape1MouseDown() { OpenEditor(*screens_.PatientIdentificationEdit); }
void TCaseEditForm::Shape5MouseDown() { OpenEditor(*screens_.PatientInfoEdit); }
void TCaseEditForm::Shape7MouseDown() { OpenEditor(*screens_.PatientAdmission); }
void TCaseEditForm::DischargeEditShapeMouseDown() { OpenEditor(*screens_.PatientEditDischarge); }

void TCaseEditForm::OpenListEditor(cSubListEditor& editor, CaseSubList which) {
    if (LoadedCaseSeq().empty()) return;
    actions_.SavePendingCaseFields();
    DimScreen(true);
    QListView* list = ui->PhysicianListBox;
    if (which == CaseSubList::kFamily) list = ui->FamilyListBox;
    else if (which == CaseSubList::kDiagnosisCodes) list = ui->DiagnosisCodeListBox;
    else if (which == CaseSubList::kTreatmentCodes) list = ui->TreatmentCodeListBox;
    list->hide();
    editor.Edit(SubList(which));
    list->show();
    DimScreen(false);
}

void TCaseEditForm::PhysicianListBoxMouseDown() { OpenListEditor(*screens_.PhysicianList, CaseSubList::kPhysicians); }
void TCaseEditForm::FamilyListBoxMouseDown() { OpenListEditor(*screens_.FamilyList, CaseSubList::kFamily); }
void TCaseEditForm::DiagnosisCodeListBoxMouseDown() {
    screens_.CodesList->SetList(CaseSubList::kDiagnosisCodes);
    OpenListEditor(*screens_.CodesList, CaseSubList::kDiagnosisCodes);
}
void TCaseEditForm::TreatmentCodeListBoxMouseDown() {
    screens_.CodesList->SetList(CaseSubList::kTreatmentCodes);
    OpenListEditor(*screens_.CodesList, CaseSubList::kTreatmentCodes);
}

void TCaseEditForm::CloseCaseImageButtonClick() {
    if (LoadedCaseSeq().empty()) return;
    if (ShowMessageBox(this, "Are you sure you want to close this case?", "Are you sure",
                       QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    // A notes edit not yet saved would be lost with the screen.
    actions_.SavePendingCaseFields();
    const std::string caseSeq = open_.CurrentCaseSeq;
    if (!UpdateRecord(*session_.DataServer, cat::tbl::kCases, caseSeq, {F(cs::kClosed) + "=" + cat::kYes})) {
        ShowMessageBox(this, "The case could not be closed; please try again.", "Error");
        return;
    }
    actions_.LoadOpenCaseList();
    open_.EditMode = 0;
    ui->SaveNewCaseImageButton->hide();
    actions_.HideCaseInformation();
    actions_.ShowPanel("OpenCaseList");
    // After the close, which the server would otherwise refuse them for;
    // quotes left open would go on waiting for providers.
    while (!MarkQuotesOfCase(*session_.DataServer, caseSeq, cat::quotes::kClosedMark, false))
        if (ShowMessageBox(this,
                           "The case is closed, but not all of its quotes could be cancelled: the data server cannot "
                           "be reached.\nRetry to cancel them now?",
                           "Error", QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry)
            break;
}

}  // namespace dalvero
