#include "previous_case_edit_form.h"

#include <QMouseEvent>

#include "case_queries.h"
#include "dialog_seam.h"
#include "form_keys.h"
#include "health_checklist.h"
#include "health_detail_forms.h"
#include "image_button.h"
#include "main_window_state.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "ui_previous_case_edit_form.h"

namespace dalvero {

namespace {
namespace cat = catalogue;

constexpr char kFields[] = "f12,f13,f22,f14,f15,f23,f19,f20,f21,f1001,f1002,cm11,cm13,ip10,is10,it10,P10,P12,f22";
constexpr char kAliases[] =
    "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,it=InsuranceTypes:f21";
}  // namespace

TPreviousCaseEditForm::TPreviousCaseEditForm(MainWindowState& main, TPatientHealthDetailNoEditForm& healthDetail)
    : ui(std::make_unique<Ui::TPreviousCaseEditForm>()), main_(main), healthDetail_(healthDetail) {
    ui->setupUi(this);
    connect(cImageButton::Painted(ui->CaseListImageButton, ImageButtonArt::Shape::Button), &cImageButton::clicked,
            this, &TPreviousCaseEditForm::CaseListImageButtonClick);
    connect(ui->ReopenCaseButton, &QPushButton::clicked, this, &TPreviousCaseEditForm::ReopenCaseButtonClick);
    ui->PcHealthDetailMemo->viewport()->installEventFilter(this);
    ui->PcHealthDetailMemo->viewport()->setCursor(Qt::PointingHandCursor);
    // Escape goes back to the list the case was opened from.
    cFormKeys& keys = cFormKeys::Of(ui->PreviousCaseEditPanel);
    keys.SetEscapeAction([this] { CaseListImageButtonClick(); });
    keys.SetStartControl(ui->ReopenCaseButton);
}

TPreviousCaseEditForm::~TPreviousCaseEditForm() = default;

QWidget* TPreviousCaseEditForm::Panel() const { return ui->PreviousCaseEditPanel; }

bool TPreviousCaseEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->PcHealthDetailMemo->viewport() || event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    PcHealthDetailMemoClick();
    return true;
}

bool TPreviousCaseEditForm::Open(const std::string& caseSeq, const std::string& patientSeq) {
    std::string read;
    if (!GetRecordFields(*main_.Session.DataServer, cat::tbl::kCases, caseSeq, kFields, read, kAliases)) return false;
    OpenCase& open = main_.Case;
    open.PreviousCaseSeq = caseSeq;
    open.PreviousPatientSeq = patientSeq;
    const StringList v(ParseCommaText(read));
    const std::string patient = v.Value("P10") + " " + v.Value("P12");
    main_.Actions.ShowCaseInformation(v.Value("f22").empty() ? caseSeq : v.Value("f22"), patient);
    main_.Actions.SetApplicationTitle(patient);
    const auto set = [&v](QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); };
    set(ui->PcAdmitLabel, v.Value("f12"));
    set(ui->PcDischargeDateLabel, v.Value("f13"));
    set(ui->PcCaseNumberLabel, v.Value("f22"));
    set(ui->PcRoomNumberLabel, v.Value("f14"));
    set(ui->PcBedLabel, v.Value("f15"));
    set(ui->PcCaseworkerLabel, v.Value("cm11") + " " + v.Value("cm13"));
    set(ui->PcPrimaryInsLabel, v.Value("ip10"));
    set(ui->PcSecondaryInsLabel, v.Value("is10"));
    set(ui->PcThirdInsDropdown, v.Value("it10"));
    ui->PcDiagnosisMemo->setPlainText(QString::fromStdString(v.Value("f1001")));
    ui->PcHealthDetailMemo->setPlainText(QString::fromStdString(HealthSummaryText(v.Value("f1002"))));
    main_.Actions.ShowPanel("PreviousCaseEdit");
    return true;
}

void TPreviousCaseEditForm::PcHealthDetailMemoClick() {
    // The closed case's own check-list, not the open case's.
    if (main_.Case.PreviousCaseSeq.empty() || !healthDetail_.Load(main_.Case.PreviousCaseSeq)) return;
    ExecDialog(healthDetail_);
}

void TPreviousCaseEditForm::CaseListImageButtonClick() {
    main_.Actions.LoadPreviousCaseList(false);
    main_.Actions.HideCaseInformation();
    main_.Actions.ShowPanel("ClosedCaseList");
}

void TPreviousCaseEditForm::ReopenCaseButtonClick() {
    const std::string caseSeq = main_.Case.PreviousCaseSeq;
    if (caseSeq.empty() || ShowMessageBox(this, "Are you sure you want to reopen this case?", "Are you sure",
                                          QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    dbServerConnection& db = *main_.Session.DataServer;
    if (!UpdateRecord(db, cat::tbl::kCases, caseSeq, {"f" + std::to_string(cat::cases::kClosed) + "="})) return;
    main_.Actions.LoadOpenCaseList();
    main_.Case.EditMode = 0;
    main_.Actions.HideCaseInformation();
    main_.Actions.ShowPanel("OpenCaseList");
    // Quotes of deleted needs stay closed: those needs are gone for good.
    MarkQuotesOfCase(db, caseSeq, cat::quotes::kReopenedMark, true);
}

}  // namespace dalvero
