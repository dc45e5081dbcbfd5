#include "case_history_form.h"

#include <QListView>

#include "list_header.h"
#include "case_list_model.h"
#include "case_list_sort.h"
#include "case_row_delegate.h"
#include "case_row_text.h"
#include "column_row_delegate.h"
#include "dialog_seam.h"
#include "form_keys.h"
#include "health_checklist.h"
#include "image_button.h"
#include "client_session.h"
#include "list_settings.h"
#include "workspace_actions.h"
#include "record_ops.h"
#include "screen_content.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "ui_case_history_edit_form.h"
#include "ui_case_history_form.h"

namespace dalvero {

namespace {
// Header sections in their order and the case list column each shows.
const std::vector<CaseColumn> kHistoryColumns{kAdmitColumn, kDischargeColumn, kNameColumn,
                                              kCaseColumn,  kRoomColumn,      kBedColumn};
constexpr char kHistoryFields[] = "f12,f13,f22,f14,f15,f16,f17,cm11,ip10,is10,it10,f1001,f1002";
constexpr char kHistoryAliases[] =
    "cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,it=InsuranceTypes:f21";
// Where the dialog opens, from the main window's corner.
constexpr int kDialogOffset = 75;
}  // namespace

TCaseHistoryEditForm::TCaseHistoryEditForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCaseHistoryEditForm>()) {
    ui->setupUi(this);
    connect(cImageButton::Painted(ui->CloseButtonImage, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            &QDialog::accept);
}

TCaseHistoryEditForm::~TCaseHistoryEditForm() = default;

bool TCaseHistoryEditForm::Load(dbServerConnection& db, const std::string& caseSeq) {
    std::string read;
    if (!GetRecordFields(db, catalogue::tbl::kCases, caseSeq, kHistoryFields, read, kHistoryAliases)) return false;
    const StringList v(ParseCommaText(read));
    const auto set = [&v](QLabel* label, const char* field) {
        label->setText(QString::fromStdString(v.Value(field)));
    };
    set(ui->AdmitDateLabel, "f12");
    set(ui->DischargeDateLabel, "f13");
    set(ui->CaseNumberLabel, "f22");
    set(ui->RoomNumberLabel, "f14");
    set(ui->BedLabel, "f15");
    set(ui->HeightLabel, "f16");
    set(ui->WeightLabel, "f17");
    set(ui->CaseworkerLabel, "cm11");
    set(ui->PrimaryInsLabel, "ip10");
    set(ui->SecondaryInsLabel, "is10");
    set(ui->ThirdInsLabel, "it10");
    ui->CaseHistoryDiagnosisMemo->setPlainText(QString::fromStdString(v.Value("f1001")));
    ui->CaseHistoryHealthDetailsMemo->setPlainText(QString::fromStdString(HealthSummaryText(v.Value("f1002"))));
    return true;
}

TCaseHistoryForm::TCaseHistoryForm(ClientSession& session, ListSettings& lists, cWorkspaceActions& actions)
    : ui(std::make_unique<Ui::TCaseHistoryForm>()), session_(session), lists_(lists), rows_(new cCaseListModel(this)),
      edit_(new TCaseHistoryEditForm(this)) {
    ui->setupUi(this);
    ui->CaseHistoryHeader->SetSections(
        {{"Admit Date", 100}, {"Disc Date", 100}, {"Name", 200}, {"Case", 100}, {"Room", 70}, {"Bed", 50}});
    QListView* list = ui->CaseHistoryListBox;
    ShowRows(*list, *rows_, new cCaseRowDelegate(*rows_, *ui->CaseHistoryHeader, kHistoryColumns, nullptr));
    list->setUniformItemSizes(true);
    loadState_ = new cListState(list, "No cases of this patient", [&actions] { actions.LoadCaseHistory(); });
    ui->CaseHistoryHeader->KeepColumnsWhole(*list);
    connect(ui->CaseHistoryHeader, &QHeaderView::sectionClicked, this,
            &TCaseHistoryForm::CaseHistoryHeaderSectionClick);
    connect(list, &QListView::clicked, this, &TCaseHistoryForm::CaseHistoryListBoxClick);
    connect(list, &QListView::activated, this, &TCaseHistoryForm::CaseHistoryListBoxClick);
    cFormKeys::Of(ui->CaseHistoryPanel).SetStartControl(list);
}

TCaseHistoryForm::~TCaseHistoryForm() = default;

QWidget* TCaseHistoryForm::Panel() const { return ui->CaseHistoryPanel; }

void TCaseHistoryForm::Loaded(bool read) {
    lists_.HistorySortColumn = kAdmitColumn;
    if (read) loadState_->Loaded(rows_->rowCount());
    else loadState_->Failed();
}

void TCaseHistoryForm::CaseHistoryHeaderSectionClick(int section) {
    if (section < 0 || static_cast<std::size_t>(section) >= kHistoryColumns.size()) return;
    SortByColumnClick(*rows_, lists_.HistorySortColumn, kHistoryColumns[static_cast<std::size_t>(section)],
                      LocalNow());
    ui->CaseHistoryListBox->viewport()->update();
}

void TCaseHistoryForm::CaseHistoryListBoxClick(const QModelIndex& index) {
    const cCaseObject* c = index.isValid() ? rows_->At(index.row()) : nullptr;
    if (!c || !edit_->Load(*session_.DataServer, c->Seq)) return;
    const QWidget* window = Panel()->window();
    edit_->move(window->x() + kDialogOffset, window->y() + kDialogOffset);
    ExecDialog(*edit_);
}

}  // namespace dalvero
