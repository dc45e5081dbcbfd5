#include "discharge_view_form.h"

#include <QApplication>
#include <QListView>
#include <QPushButton>

#include <algorithm>

#include "case_needs.h"
#include "dialog_seam.h"
#include "discharge_item_detail_form.h"
#include "discharge_screens.h"
#include "fhir_queries.h"
#include "function_commands.h"
#include "image_button.h"
#include "list_header.h"
#include "main_window_state.h"
#include "matching_providers_form.h"
#include "need_list_model.h"
#include "need_row_delegate.h"
#include "record_ops.h"
#include "screen_content.h"
#include "report_files.h"
#include "save_file_dialog.h"
#include "signed_in_user.h"
#include "table_catalogue.h"
#include "ui_discharge_view_form.h"

namespace dalvero {
namespace {
namespace cat = catalogue;

// The need dialog's fields of a need, with its three names.
constexpr char kNeedFields[] = "PT10,PC12,PD11,f11,f12,f13,f14,f15,f16,f17";
const std::string kNeedAliases = std::string(cat::join::kNeedType) + "," + cat::join::kNeedCategory + "," +
                                 cat::join::kNeedDetail;

void PaintShape(QWidget* shape, const QColor& colour) {
    QPalette palette = shape->palette();
    palette.setColor(QPalette::Window, colour);
    shape->setPalette(palette);
    shape->setAutoFillBackground(true);
}
}  // namespace

TDischargeViewForm::TDischargeViewForm(MainWindowState& main, cDischargeScreens& screens)
    : ui(std::make_unique<Ui::TDischargeViewForm>()),
      session_(main.Session), user_(main.User), open_(main.Case), lists_(main.Lists), need_(main.Need),
      actions_(main.Actions),
      screens_(screens),
      rows_(new cNeedListModel(this)),
      header_(nullptr) {
    ui->setupUi(this);
    // The main window takes the panel over at the form's size.
    ui->DischargeViewPanel->resize(size());
    PaintShape(ui->RedShape, Qt::red);
    PaintShape(ui->YellowShape, Qt::yellow);
    PaintShape(ui->GreenShape, QColor(0, 255, 0));

    header_ = new cListHeader(ui->ListArea);
    header_->setObjectName("CaseNeedsHeader");
    header_->SetSections({{"Date Required", 150}, {"Item", 500}, {"Status", 200}});
    header_->FollowSort(*rows_, lists_.NeedListSortColumn);
    ui->ListLayout->addWidget(header_, 0, 0);
    ui->ListLayout->setRowStretch(1, 1);
    connect(header_, &QHeaderView::sectionClicked, this, &TDischargeViewForm::CaseNeedsHeaderSectionClick);
    needsState_ = new cListState(ui->CaseRequirementsListBox, "No needs yet");

    QListView* list = ui->CaseRequirementsListBox;
    list->setModel(rows_);
    list->setItemDelegate(new cNeedRowDelegate(
        *rows_, *header_, [this](NeedColour c) { return StatusColour(c); }, [this] { return dimmed_; }, list));
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The header is on top of the wait message too.
    list->raise();
    header_->raise();
    connect(list, &QListView::clicked, this, &TDischargeViewForm::CaseRequirementsListBoxClick);
    connect(header_, &QHeaderView::sectionResized, list->viewport(), qOverload<>(&QWidget::update));

    connect(cImageButton::Painted(ui->AddNewDischargeReqImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &TDischargeViewForm::AddNewDischargeReqImageButtonClick);
    connect(cImageButton::Painted(ui->FindMatchingProvidersImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &TDischargeViewForm::FindMatchingProvidersImageButtonClick);
    connect(ui->RequestPhysicianApprovalButton, &QPushButton::clicked, this,
            &TDischargeViewForm::RequestPhysicianApprovalButtonClick);
    connect(ui->GrantPhysicianApprovalButton, &QPushButton::clicked, this,
            &TDischargeViewForm::GrantPhysicianApprovalButtonClick);
    connect(ui->SaveAsFhirButton, &QPushButton::clicked, this, &TDischargeViewForm::SaveAsFhirButtonClick);
    ChooseFile = [this](const std::string& defaultName) { return AskForSaveFile(this, defaultName); };
}

TDischargeViewForm::~TDischargeViewForm() = default;

QWidget* TDischargeViewForm::Panel() const { return ui->DischargeViewPanel; }
QListView* TDischargeViewForm::CaseRequirementsListBox() const { return ui->CaseRequirementsListBox; }

QColor TDischargeViewForm::StatusColour(NeedColour colour) const {
    const QWidget* shape = colour == NeedColour::kRed      ? ui->RedShape
                           : colour == NeedColour::kYellow ? ui->YellowShape
                           : colour == NeedColour::kGreen  ? ui->GreenShape
                                                           : nullptr;
    return shape ? shape->palette().color(QPalette::Window) : QColor(Qt::white);
}

void TDischargeViewForm::LoadCaseNeeds() {
    rows_->Clear();
    ui->DischargeCaseNumberLabel->setText(QString::fromStdString(open_.CurrentCaseNumber));
    auto needs = QueryCaseNeeds(*session_.DataServer, open_.CurrentCaseSeq);
    if (!needs) {
        needsState_->Failed();
        ShowMessageBox(this, "The needs of this case could not be loaded.", "Error");
        return;
    }
    std::vector<std::string> seqs;
    for (cCaseNeeds& need : *needs) {
        seqs.push_back(need.Seq);
        std::string text = need.Required;
        rows_->Add(std::move(text), std::move(need));
    }
    std::sort(seqs.begin(), seqs.end());
    for (auto& [seq, status] : QueryNeedStatuses(*session_.FunctionServer, seqs))
        rows_->SetStatus(rows_->RowOfSeq(seq), std::move(status));
    lists_.NeedListSortColumn = 0;
    rows_->SetSorted(true);
    needsState_->Loaded(rows_->rowCount());
}

void TDischargeViewForm::SetNeedStatus(const std::string& needSeq, const std::string& status) {
    rows_->SetStatus(rows_->RowOfSeq(needSeq), status);
}

void TDischargeViewForm::CaseNeedsHeaderSectionClick(int section) {
    rows_->HeaderClick(section, lists_.NeedListSortColumn);
    ui->CaseRequirementsListBox->viewport()->update();
}

void TDischargeViewForm::ShowNeedDialog() {
    SetDimmed(true);
    ExecDialog(*screens_.ItemDetail);
    SetDimmed(false);
    actions_.ShowPanel("DischargeView");
}

void TDischargeViewForm::AddNewDischargeReqImageButtonClick() {
    screens_.ItemDetail->FillForAdding();
    ShowNeedDialog();
}

void TDischargeViewForm::CaseRequirementsListBoxClick(const QModelIndex& index) {
    const cCaseNeeds* need = index.isValid() ? rows_->Need(index.row()) : nullptr;
    if (!need) return;
    std::string fields;
    if (!GetRecordFields(*session_.DataServer, cat::tbl::kCaseNeeds, need->Seq, kNeedFields, fields,
                         kNeedAliases))
        return;
    need_.CurrentNeedSeq = need->Seq;
    need_.CurrentNeedRecord.SetCommaText(fields);
    screens_.ItemDetail->FillForEditing();
    ShowNeedDialog();
}

void TDischargeViewForm::SetListShown(bool shown) {
    header_->setVisible(shown);
    ui->CaseRequirementsListBox->setVisible(shown);
    if (shown)
        QApplication::restoreOverrideCursor();
    else
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TDischargeViewForm::FindMatchingProvidersImageButtonClick() {
    SetListShown(false);
    QCoreApplication::processEvents();
    TMatchingProvidersForm& matching = *screens_.MatchingProviders;
    matching.Clear();
    NeedsMatchingArgs args;
    args.caseSeq = open_.CurrentCaseSeq;
    args.mileRadius = ui->MileRadiusEdit->text().toStdString();
    args.maxNumberMatches = ui->NumMatchesEdit->text().toStdString();
    args.moreProvidersMode = ui->FindLeastQuotesCB->isChecked();
    args.mustMatchPrimaryIns = ui->InsuranceMatchOnlyCB->isChecked();
    cJsonNode command;
    BuildProcessNeedsMatching(command, args);
    RunFunctionCommand(*session_.FunctionServer, command);
    const std::string error = command.GetString(fncmd::kError);
    const std::string notice = command.GetString(fncmd::kNotice);
    if (!error.empty() || !notice.empty()) {
        SetListShown(true);
        if (!error.empty())
            ShowMessageBox(this, error, "Error matching providers");
        else
            ShowMessageBox(this, notice, "Provider Matching");
        return;
    }
    matching.move(Panel()->window()->pos());
    matching.Fill(command, args.mileRadius);
    ExecDialog(matching);
    ui->CaseRequirementsListBox->viewport()->update();
    actions_.ShowPanel("DischargeView");
    SetListShown(true);
}

bool TDischargeViewForm::WriteApproval(const std::string& requested, bool approved) {
    StringList values;
    if (!requested.empty()) values.push_back("f" + std::to_string(cat::cases::kApprovalRequested) + "=" + requested);
    values.push_back("f" + std::to_string(cat::cases::kApproved) + "=" + (approved ? cat::kYes : ""));
    return UpdateRecord(*session_.DataServer, cat::tbl::kCases, open_.CurrentCaseSeq, values);
}

void TDischargeViewForm::RequestPhysicianApprovalButtonClick() {
    // Without a primary physician nothing is asked, so an approval already
    // granted stays recorded.
    if (actions_.GetPrimaryPhysician(open_.CurrentCaseSeq).empty()) {
        ShowMessageBox(this, "No primary physician has been designated", "Need to set a primary physician");
        return;
    }
    cJsonNode command;
    BuildSendDoctorNotificationEmail(command, open_.CurrentCaseSeq);
    if (!RunFunctionCommand(*session_.FunctionServer, command)) {
        ShowMessageBox(this, command.GetString(fncmd::kError), "Problem sending the email to the doctor");
        return;
    }
    if (!WriteApproval(cat::kYes, false)) {
        ShowMessageBox(this, "The physician has been emailed, but the request could not be recorded on the case.",
                       "Error");
        return;
    }
    ShowMessageBox(this, "The physician has been emailed.", "Email sent");
}

void TDischargeViewForm::GrantPhysicianApprovalButtonClick() {
    if (!WriteApproval({}, true)) ShowMessageBox(this, "The physician's approval could not be recorded.", "Error");
}

void TDischargeViewForm::SetDimmed(bool on) {
    dimmed_ = on;
    QWidget* mainWindow = Panel()->window();
    if (on && !dimming_) {
        // A translucent sheet over the whole window: changing the window's
        // flags to drop its border would hide and re-show it.
        dimming_ = new QWidget(mainWindow);
        dimming_->setObjectName("DimmingOverlay");
        dimming_->setAttribute(Qt::WA_TransparentForMouseEvents);
        dimming_->setAttribute(Qt::WA_StyledBackground);
        dimming_->setStyleSheet("background-color: rgba(128, 128, 128, 110);");
    }
    if (dimming_) {
        dimming_->setGeometry(mainWindow->rect());
        dimming_->setVisible(on);
        dimming_->raise();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->AddNewDischargeReqImageButton,
                                                      ui->FindMatchingProvidersImageButton,
                                                      ui->RequestPhysicianApprovalButton,
                                                      ui->GrantPhysicianApprovalButton, header_})
        w->setVisible(!on);
    ui->CaseRequirementsListBox->viewport()->update();
}

void TDischargeViewForm::SaveAsFhirButtonClick() {
    const std::string& number = open_.CurrentCaseNumber;
    const std::string path = ChooseFile(kFhirBundleFileName);
    if (path.empty()) return;
    const FhirCaseQuery found = QueryFhirCase(*session_.DataServer, user_.HospitalSeq, number);
    switch (found.outcome) {
    case FhirCaseOutcome::NoCase:
        ShowMessageBox(this, "No case " + number + " in your hospital", "Notice");
        return;
    case FhirCaseOutcome::Failed:
        ShowMessageBox(this, "Case " + number + " could not be read: " + session_.DataServer->ErrorText, "Error");
        return;
    case FhirCaseOutcome::Ready: break;
    }
    if (!SaveReportBytes(path, FhirBundleJson(found.fhirCase)))
        ShowMessageBox(this, "Unable to write " + path, "Error");
}

}  // namespace dalvero
