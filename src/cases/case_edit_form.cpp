#include "case_edit_form.h"

#include "control_text.h"
#include "field_saves.h"
#include "field_tag.h"
#include "image_button.h"
#include "item_list_model.h"
#include "main_window_state.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_case_edit_form.h"

namespace dalvero {

namespace {
// Besides the bound fields the screen reads the case worker, the
// insurances, the patient and the case's own fields.
constexpr char kJoinedFields[] =
    ",cm11,cm13,ip10,is10,it10,P10,P11,P12,P13,P14,P15,P16,P17,f12,f13,f14,f15,f16,f17,f19,f20,f21,f22,f23,f30,f32,"
    "f33,f34,f35,f36,f37,f39,f40,f41,f42,f43,f44,f45";
constexpr char kCaseAliases[] =
    "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,it=InsuranceTypes:f21";
}  // namespace

TCaseEditForm::TCaseEditForm(MainWindowState& main) : ui(std::make_unique<Ui::TCaseEditForm>()), main_(main) {
    ui->setupUi(this);
    QListView* const lists[] = {ui->PhysicianListBox, ui->FamilyListBox, ui->DiagnosisCodeListBox,
                                ui->TreatmentCodeListBox};
    for (std::size_t i = 0; i < subLists_.size(); ++i) {
        subLists_[i] = new cItemListModel(this);
        lists[i]->setModel(subLists_[i]);
        lists[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        content_.AddList([model = subLists_[i]] { model->Clear(); });
    }
    content_.AddControls({ui->CaseDiagnosisMemo});
    // Nothing is written before a case has loaded.
    content_.Clear();
    cImageButton::Painted(ui->SaveNewCaseImageButton, ImageButtonArt::Shape::Button);
    cImageButton::Painted(ui->CloseCaseImageButton, ImageButtonArt::Shape::Button);
}

TCaseEditForm::~TCaseEditForm() = default;

QWidget* TCaseEditForm::Panel() const { return ui->CaseEditPanel; }

cItemListModel& TCaseEditForm::SubList(CaseSubList which) const { return *subLists_[static_cast<std::size_t>(which)]; }

QPlainTextEdit* TCaseEditForm::CaseDiagnosisMemo() const { return ui->CaseDiagnosisMemo; }

QLabel* TCaseEditForm::SaveNewCaseImageButton() const { return ui->SaveNewCaseImageButton; }

bool TCaseEditForm::FillCaseForm() {
    namespace cs = catalogue::cases;
    StringList bound;
    for (const auto& [number, control] : main_.CaseEditControls) bound.push_back("f" + number);
    std::string values;
    if (!GetRecordFields(*main_.Session.DataServer, catalogue::tbl::kCases, main_.CurrentCaseSeq,
                         bound.CommaText() + kJoinedFields, values, kCaseAliases)) {
        LoadFailed();
        return false;
    }
    StringList& v = main_.PatientValues;
    v.SetCommaText(values);

    const std::string caseNumber = v.Value("f" + std::to_string(cs::kCaseNumber));
    main_.CurrentCaseNumber = caseNumber.empty() ? main_.CurrentCaseSeq : caseNumber;
    const std::string patient = v.Value("P10") + " " + v.Value("P12");
    main_.ShowCaseInformation(main_.CurrentCaseNumber, patient);
    MainWindowState::SetApplicationTitle(patient);

    for (const auto& [number, control] : main_.CaseEditControls) {
        SetControlText(control, v.Value("f" + number));
        SetFieldChanged(control, false);
    }
    content_.Loaded(main_.CurrentCaseSeq);
    std::vector<QWidget*> controls;
    for (const auto& [number, control] : main_.CaseEditControls) controls.push_back(control);
    main_.FieldSaves.OfferRecovered(catalogue::tbl::kCases, main_.CurrentCaseSeq, controls, Panel());
    return true;
}

void TCaseEditForm::LoadFailed() {
    content_.LoadFailed(Panel(), "case");
    main_.HideCaseInformation();
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

}  // namespace dalvero
