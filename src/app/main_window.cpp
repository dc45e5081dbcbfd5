#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>

#include <filesystem>

#include "admin_main_form.h"
#include "case_edit_form.h"
#include "case_history_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"
#include "case_queries.h"
#include "case_row_text.h"
#include "case_screens.h"
#include "category_selection_form.h"
#include "control_events.h"
#include "dialog_seam.h"
#include "discharge_item_detail_form.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "field_tag.h"
#include "focus_frame.h"
#include "form_keys.h"
#include "health_detail_forms.h"
#include "image_button.h"
#include "item_list_model.h"
#include "previous_case_edit_form.h"
#include "record_ops.h"
#include "screen_content.h"
#include "table_catalogue.h"
#include "ui_main_window.h"

namespace dalvero {

namespace {
namespace cat = catalogue;

constexpr int kIdleTickMs = 1000;
constexpr int kMostIdleTicks = 300;

std::string Item(const StringList& list, std::size_t n) { return n < list.size() ? list[n] : std::string(); }

void RemoveFile(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}
}  // namespace

TForm1::TForm1(ClientSession& session)
    : MainWindowState(session, *this),
      TimeoutTimer(new QTimer(this)),
      // Not quit(), which every window may refuse (one asking about unsaved
      // changes would keep the patient on screen).
      TerminateAction([] { QCoreApplication::exit(0); }),
      ui(std::make_unique<Ui::TForm1>()),
      screens_(std::make_unique<cCaseScreens>(*this)),
      discharge_(std::make_unique<cDischargeScreens>(*this, this)),
      admin_(std::make_unique<TAdminMainForm>(*this)) {
    ui->setupUi(this);
    // The case information keeps its place while no case is open, so the
    // panels do not change size when one opens.
    QSizePolicy info = ui->MainInfoPanel->sizePolicy();
    info.setRetainSizeWhenHidden(true);
    ui->MainInfoPanel->setSizePolicy(info);
    cFocusFrame::Install(this);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // The product's name as quiet artwork: painted as a button it looked like one
    // but did nothing.
    ui->Image1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The open case's shared parts go with the case screen when its load fails.
    screens_->CaseEdit->Content().AddList([this] {
        screens_->CaseHistory->Rows().Clear();
        Case.PatientRecord.clear();
        Case.CaseFieldValues.clear();
    });

    TimeoutTimer->setObjectName("TimeoutTimer");
    TimeoutTimer->setInterval(kIdleTickMs);
    connect(TimeoutTimer, &QTimer::timeout, this, &TForm1::TimeoutTimerTimer);
    TimeoutTimer->start();
    QCoreApplication::instance()->installEventFilter(this);
}

TForm1::~TForm1() {
    // The hosted panels outlive this object's state while the window's
    // children are torn down: nothing may call back into it then.
    QCoreApplication::instance()->removeEventFilter(this);
    for (const auto& [number, control] : Case.CaseEditControls) ControlEvents::Of(control).Exit = nullptr;
}

cCaseListModel& TForm1::CaseHistoryList() const { return screens_->CaseHistory->Rows(); }

QLabel* TForm1::PersonnelStatusLabel() const { return ui->PersonnelStatusLabel; }

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // After the window is on view, so that messages show over it.
    if (!activated_) QTimer::singleShot(0, this, &TForm1::FormActivate);
}

void TForm1::closeEvent(QCloseEvent* event) {
    SavePendingCaseFields();
    event->accept();
    QCoreApplication::quit();
}

void TForm1::BuildPanelMap() {
    cCaseScreens& s = *screens_;
    QWidget* listStrip = s.ListNavigation->Panel();
    QWidget* caseStrip = s.CaseNavigation->Panel();
    const auto add = [this](const char* name, QWidget* panel, QWidget* strip, QLabel* tab) {
        PanelMap.emplace_back(name, PanelContainerClass(*ui->PanelSlot, *ui->StripSlot, panel, strip, tab));
    };
    add("OpenCaseList", s.CaseList->Panel(), listStrip, s.ListNavigation->CaseListTabImage());
    add("DischargeView", discharge_->DischargeView->Panel(), caseStrip,
        s.CaseNavigation->ManageDischargeButtonImage());
    add("CaseEdit", s.CaseEdit->Panel(), caseStrip, s.CaseNavigation->CaseInfoImageButton());
    add("ClosedCaseList", s.CaseListPrev->Panel(), listStrip, s.ListNavigation->PreviousCasesTabImage());
    add("PreviousCaseEdit", s.PreviousCaseEdit->Panel(), nullptr, nullptr);
    add("PatientHealthDetail", s.PatientHealthDetail->Panel(), caseStrip,
        s.CaseNavigation->CaseDetailsImageButton());
    add("CaseHistory", s.CaseHistory->Panel(), caseStrip, s.CaseNavigation->CaseHistoryImageButton());
    add("Admin", admin_->Panel(), listStrip, s.ListNavigation->ShowAdminImage());
    add("casenav", caseStrip, nullptr, nullptr);

    // Escape on an open case's screens is the way back to the list.
    QWidget* back = s.CaseNavigation->CaseListImageButton();
    for (const auto& [name, entry] : PanelMap) {
        MakeMemosLeaveOnTab(entry.Panel);
        MakeListsStartAtTheTop(entry.Panel);
        if (entry.Strip == caseStrip || entry.Panel == caseStrip)
            cFormKeys::Of(entry.Panel).SetEscapeAction([back] { ClickButton(back); });
    }
}

void TForm1::BindCaseEditControls() {
    TCaseEditForm& edit = *screens_->CaseEdit;
    Case.CaseEditControls.emplace_back(std::to_string(cat::cases::kDiagnosisNote), edit.CaseDiagnosisMemo());
    for (const auto& [number, control] : Case.CaseEditControls) {
        SetFieldTag(control, ToIntDef(number, 0));
        edit.AttachChangeHandler(control);
        ControlEvents& events = ControlEvents::Of(control);
        if (!events.Exit) events.Exit = [this, c = control] { CaseFieldExit(c); };
    }
}

void TForm1::WireDischargeTabs() {
    // After the case strip's own handlers, which show the panels.
    TCaseNavigationForm& strip = *screens_->CaseNavigation;
    connect(cImageButton::Of(strip.ManageDischargeButtonImage()), &cImageButton::clicked,
            discharge_->DischargeView.get(), &TDischargeViewForm::LoadCaseNeeds);
    connect(cImageButton::Of(strip.CaseInfoImageButton()), &cImageButton::clicked, discharge_->ItemDetail,
            &TDischargeItemDetailForm::ForgetChanges);
}

void TForm1::WireAdmin() {
    // After the list strip's own handler, which shows the panel.
    connect(cImageButton::Of(screens_->ListNavigation->ShowAdminImage()), &cImageButton::clicked, admin_.get(),
            &TAdminMainForm::AdminPageControlChange);
    admin_->OpenProviderCategories = [this](const std::string& providerSeq, QWidget* parent) {
        TCategorySelectionForm categories(parent);
        categories.ProviderSeq = providerSeq;
        categories.Connection = Session.DataServer.get();
        ExecDialog(categories);
    };
}

void TForm1::FormActivate() {
    if (activated_) return;
    activated_ = true;
    BuildPanelMap();
    BindCaseEditControls();
    WireDischargeTabs();
    WireAdmin();
    User.HospitalSeq = Session.UserField(9);
    User.UserSeq = Session.UserField(1);
    ui->UserNameLabel->show();
    ui->PersonnelStatusLabel->show();
    // Before anything can stop the start-up: no one else may see the tab.
    screens_->ListNavigation->ShowAdminImage()->setVisible(User.IsAdministrator);
    LoadCaseWorkers();
    Case.EditMode = 0;
    ShowPanel("OpenCaseList");

    if (!ReadRecord(*Session.DataServer, cat::tbl::kProviderEntities, User.HospitalSeq, User.HospitalRecord)) {
        ShowMessageBox(this, "Couldn't find the hospital", "Error");
        return;
    }
    if (User.HospitalRecord.size() > 26) User.HospitalField26 = User.HospitalRecord[26];
    ShowHospitalLogo();
    const std::string hospitalName = Item(User.HospitalRecord, cat::providers::kName);
    ui->HospitalNameLabel->setText(QString::fromStdString(hospitalName));
    SetApplicationTitle(hospitalName);
    ui->UserNameLabel->setText(QString::fromStdString(Session.UserField(cat::personnel::kTitle) + " " +
                                                      Session.UserField(cat::personnel::kFirstName) + " " +
                                                      Session.UserField(cat::personnel::kLastName)));
    Case.CurrentPatientSeq.clear();
    Case.CurrentCaseSeq.clear();
    Case.PreviousPatientSeq.clear();
    Case.PreviousCaseSeq.clear();
    LoadOpenCaseList();
    ShowPanel("OpenCaseList");
}

void TForm1::ShowHospitalLogo() {
    dbServerConnection& db = *Session.DataServer;
    const std::string download = Session.ApplicationFolder + "tmp.jpg";
    const bool received =
        db.GetRecordFile(cat::tbl::kProviderEntities, User.HospitalSeq, cat::providers::kLogoSlot, download);
    QPixmap logo;
    if (received && logo.load(QString::fromStdString(download), "JPG")) {
        ui->HospitalNameLabel->hide();
        ui->HospLogoImage->setPixmap(
            logo.scaled(ui->HospLogoImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        ui->HospLogoImage->show();
    } else {
        ui->HospitalNameLabel->show();
        const std::string local = Session.ApplicationFolder + "Logo.jpg";
        if (!received && std::filesystem::exists(local))
            db.PutRecordFile(cat::tbl::kProviderEntities, User.HospitalSeq, cat::providers::kLogoSlot, local);
    }
    RemoveFile(download);
}

const PanelContainerClass* TForm1::FindPanel(const std::string& name) const {
    for (const auto& [entryName, entry] : PanelMap)
        if (SameText(entryName, name)) return &entry;
    return nullptr;
}

QWidget* TForm1::HostedPanel(const std::string& name) const {
    const PanelContainerClass* entry = FindPanel(name);
    return entry ? entry->Panel : nullptr;
}

void TForm1::ShowPanel(const std::string& name) {
    ClearHoveredImageButton();
    for (const auto& [entryName, entry] : PanelMap) entry.Panel->hide();
    const PanelContainerClass* entry = FindPanel(name);
    if (!entry) return;
    entry->Panel->show();
    if (entry->Strip) {
        entry->Strip->show();
        entry->Strip->raise();
    }
    // The case strip covers the list strip; covered tabs must not take the focus.
    screens_->ListNavigation->Panel()->setVisible(!screens_->CaseNavigation->Panel()->isVisibleTo(this));
    if (cImageButton* tab = cImageButton::Of(entry->Tab)) tab->Press();
    KeepFocusOnView(*entry);
}

void TForm1::KeepFocusOnView(const PanelContainerClass& entry) {
    const QWidget* focused = focusWidget();
    if (focused && focused->isVisibleTo(this) &&
        (entry.Panel->isAncestorOf(focused) || (entry.Strip && entry.Strip->isAncestorOf(focused))))
        return;
    // A screen may name the control it starts at; others start at their
    // selected tab, so no control takes typing unasked.
    QWidget* start = cFormKeys::Of(entry.Panel).StartControl();
    if (start && start->isVisibleTo(this))
        start->setFocus(Qt::OtherFocusReason);
    else if (entry.Tab && entry.Tab->isVisibleTo(this))
        entry.Tab->setFocus(Qt::OtherFocusReason);
}

void TForm1::LoadOpenCaseList() {
    TCaseListForm& form = *screens_->CaseList;
    cCaseListModel& rows = form.Rows();
    form.ClearHover();
    // The rows are about to be freed.
    Case.CurrentCaseObject = nullptr;
    rows.Clear();
    rows.SetSorted(false);
    SetApplicationTitle("Case List");
    std::optional<std::vector<cCaseObject>> cases =
        QueryOpenCases(*Session.DataServer, {User.HospitalSeq, User.UserSeq, Lists.ShowAllOpenCases});
    Lists.OpenListSortColumn = 0;
    if (!cases) {
        rows.SetSorted(true);
        form.LoadState().Failed();
        return;
    }
    // Blank status squares would pass for cases without needs: the list is
    // read again until the statuses come.
    const bool statuses = ApplyCaseStatuses(*Session.FunctionServer, *cases);
    for (cCaseObject& c : *cases) {
        std::string text = RowName(c);
        rows.Add(std::move(text), std::move(c));
    }
    rows.SetSorted(true);
    if (statuses)
        form.LoadState().Loaded(rows.rowCount());
    else
        form.LoadState().LoadedInPart(rows.rowCount());
    // The server answers again: field writes it missed can go now.
    Saves.FieldSaves.RetryAll(*Session.DataServer);
}

void TForm1::LoadPreviousCaseList(bool keepPage) {
    TCaseListPrevForm& form = *screens_->CaseListPrev;
    cCaseListModel& rows = form.Rows();
    rows.Clear();
    SetApplicationTitle("Previous Case List");
    const CaseListOwner owner{User.HospitalSeq, User.UserSeq, Lists.ShowAllPreviousCases};
    const bool read =
        keepPage || QueryPreviousCases(Lists.PreviousListBatch, *Session.DataServer, owner, form.PageSize());
    form.SetPagingButtonsVisible(false);
    Lists.PreviousListSortColumn = 0;
    if (!read) {
        form.LoadState().Failed();
        return;
    }
    if (cBatchSet* set = Lists.PreviousListBatch.Set.get()) {
        for (cCaseObject& c : CaseRows(*set, false)) {
            std::string text = RowName(c);
            rows.Add(std::move(text), std::move(c));
        }
        form.SetPagingButtonsVisible(PagingButtonsVisible(set->Count, set->Position));
    }
    form.LoadState().Loaded(rows.rowCount());
}

void TForm1::LoadCaseWorkers() { User.CaseWorkers = QueryCaseWorkers(*Session.DataServer, User.HospitalSeq); }

bool TForm1::LoadCaseSubLists(const std::string& caseSeq, bool withoutSeq) {
    bool all = true;
    for (CaseSubList which : {CaseSubList::kPhysicians, CaseSubList::kFamily, CaseSubList::kDiagnosisCodes,
                              CaseSubList::kTreatmentCodes}) {
        std::optional<std::vector<SubListRow>> rows = QueryCaseSubList(*Session.DataServer, which, caseSeq, withoutSeq);
        all = all && rows.has_value();
        cItemListModel& list = screens_->CaseEdit->SubList(which);
        list.Clear();
        if (rows)
            for (SubListRow& row : *rows) list.Add(std::move(row.text), std::move(row.item));
        if (rows)
            screens_->CaseEdit->SubListState(which).Loaded(list.rowCount());
        else
            screens_->CaseEdit->SubListState(which).Failed();
    }
    return all;
}

void TForm1::ClearCaseSubLists() {
    for (CaseSubList which : {CaseSubList::kPhysicians, CaseSubList::kFamily, CaseSubList::kDiagnosisCodes,
                              CaseSubList::kTreatmentCodes})
        screens_->CaseEdit->SubList(which).Clear();
}

bool TForm1::LoadCaseHistory() {
    TCaseHistoryForm& history = *screens_->CaseHistory;
    history.Rows().Clear();
    std::optional<std::vector<cCaseObject>> cases = QueryCaseHistory(*Session.DataServer, Case.CurrentPatientSeq);
    if (cases)
        for (cCaseObject& c : *cases) {
            std::string text = DateSortKey(c.AdmitDate);
            history.Rows().Add(std::move(text), std::move(c));
        }
    history.Loaded(cases.has_value());
    return cases.has_value();
}

std::string TForm1::GetPrimaryPhysician(const std::string& caseSeq) {
    return QueryPrimaryPhysician(*Session.DataServer, caseSeq);
}

void TForm1::SaveFieldOnExit(const std::string& table, const std::string& seq, QWidget* control) {
    if (Case.EditMode != 1 || !Session.DataServer) return;
    Saves.FieldSaves.Save(*Session.DataServer, table, seq, control);
}

// To the case the screen was loaded from: CurrentCaseSeq may already name
// another one whose load failed.
void TForm1::CaseFieldExit(QWidget* control) {
    SaveFieldOnExit(cat::tbl::kCases, screens_->CaseEdit->LoadedCaseSeq(), control);
}

void TForm1::SessionResumed() {
    if (!Saves.FieldSaves.RetryAll(*Session.DataServer))
        ShowMessageBox(this, "Some changes could still not be saved; they are tried again when you leave a field.",
                       "Error");
}

void TForm1::SaveChangedCaseFields() {
    for (const auto& save : Saves.PendingSaves) save();
    if (Case.EditMode != 1 || !Session.DataServer) return;
    const std::string caseSeq = screens_->CaseEdit->LoadedCaseSeq();
    for (const auto& [number, control] : Case.CaseEditControls)
        Saves.FieldSaves.Save(*Session.DataServer, cat::tbl::kCases, caseSeq, control, false);
}

void TForm1::SavePendingCaseFields() {
    SaveChangedCaseFields();
    if (Saves.FieldSaves.HasUnsaved()) Saves.FieldSaves.Resolve(*Session.DataServer, this);
}

void TForm1::ShowCaseInformation(const std::string& caseNumber, const std::string& patientName) {
    ui->CaseInfoLabel->setText(QString::fromStdString(caseNumber));
    ui->PatientInfoLabel->setText(QString::fromStdString(patientName));
    ui->MainInfoPanel->show();
}

void TForm1::HideCaseInformation() {
    ui->CaseInfoLabel->clear();
    ui->PatientInfoLabel->clear();
    ui->MainInfoPanel->hide();
}

// Only this window's title: the application's display name would be added to
// every dialog and message box, naming a patient no longer on view.
void TForm1::SetApplicationTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title) + " - Hospital Discharge");
}

void TForm1::TimeoutTimerTimer() {
    if (IdleTicks++ <= kMostIdleTicks) return;
    // Before anything that could wait: a later tick must not start the
    // logoff again from inside this one.
    TimeoutTimer->stop();
    // Nobody is there to answer: nothing is asked, every window closes, and
    // what the server does not take is kept for the next opening of the case.
    Saves.FieldSaves.GoUnattended();
    CloseDialogsUnattended();
    SaveChangedCaseFields();
    if (Saves.FieldSaves.HasUnsaved()) Saves.FieldSaves.KeepUnresolved(*Session.DataServer);
    TerminateAction();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Reading with the wheel or clicking through a list is activity as much
    // as typing is.
    if (event->isInputEvent()) IdleTicks = 0;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove: {
        // Windows get every move; a widget only while it tracks the mouse.
        TCaseListForm& list = *screens_->CaseList;
        if (watched->isWidgetType() && list.HoverRow() >= 0 && watched != list.ListWindow()) list.ClearHover();
        break;
    }
    default:
        break;
    }
    return false;
}

}  // namespace dalvero
