#include "case_list_form.h"

#include <QApplication>
#include <QMouseEvent>

#include "add_case_form.h"
#include "case_edit_form.h"
#include "case_list_model.h"
#include "case_list_sort.h"
#include "case_row_delegate.h"
#include "case_row_text.h"
#include "case_screens.h"
#include "control_text.h"
#include "dialog_seam.h"
#include "field_tag.h"
#include "form_keys.h"
#include "health_detail_forms.h"
#include "image_button.h"
#include "main_window_state.h"
#include "my_all_tabs.h"
#include "record_ops.h"
#include "screen_content.h"
#include "table_catalogue.h"
#include "ui_case_list_form.h"

namespace dalvero {

TCaseListForm::TCaseListForm(MainWindowState& main, cCaseScreens& screens)
    : ui(std::make_unique<Ui::TCaseListForm>()),
      session_(main.Session),
      open_(main.Case),
      lists_(main.Lists),
      actions_(main.Actions),
      screens_(screens),
      rows_(new cCaseListModel(this)) {
    ui->setupUi(this);
    ui->OpenCasesHeader->SetSections({{"Name", 200},
                                      {"Case", 130},
                                      {"Room", 70},
                                      {"Bed", 50},
                                      {"Admit Date", 100},
                                      {"Disc Date", 100},
                                      {"M/F", 40},
                                      {"Age", 70},
                                      {"   Status    Dr. Aprv", 150},
                                      {"Case Worker", 240}});
    QListView* list = ui->OpenCasesListBox;
    list->setModel(rows_);
    delegate_ = new cCaseRowDelegate(*rows_, *ui->OpenCasesHeader, true, list);
    list->setItemDelegate(delegate_);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    loadState_ = new cListState(list, "No open cases", [this] { actions_.LoadOpenCaseList(); });

    connect(ui->OpenCasesHeader, &QHeaderView::sectionClicked, this, &TCaseListForm::OpenCasesHeaderSectionClick);
    connect(ui->OpenCasesHeader, &QHeaderView::sectionResized, list->viewport(), qOverload<>(&QWidget::update));
    // A click opens the case under the mouse, Enter the selected one. (A
    // double click cannot open it twice: the first click hides the list.)
    connect(list, &QListView::clicked, this, &TCaseListForm::OpenCasesListBoxClick);
    connect(list, &QListView::activated, this, &TCaseListForm::OpenCasesListBoxClick);
    ui->OpenCasesHeader->KeepColumnsWhole(*list);
    ui->OpenCasesHeader->FollowSort(*rows_, lists_.OpenListSortColumn);
    cFormKeys::Of(ui->OpenCasesListPanel).SetStartControl(list);

    const MyAllTabs tabs = MakeMyAllTabs(this, ui->ShowMyCasesButtonImage, ui->ShowAllCasesImageButton);
    connect(tabs.mine, &cImageButton::clicked, this, &TCaseListForm::ShowMyCasesButtonImageClick);
    connect(tabs.all, &cImageButton::clicked, this, &TCaseListForm::ShowAllCasesImageButtonClick);
    connect(cImageButton::Painted(ui->EnterNewCaseButtonImage, ImageButtonArt::Shape::Button), &cImageButton::clicked,
            this, &TCaseListForm::EnterNewCaseButtonImageClick);
}

TCaseListForm::~TCaseListForm() = default;

QWidget* TCaseListForm::Panel() const { return ui->OpenCasesListPanel; }

QListView* TCaseListForm::OpenCasesListBox() const { return ui->OpenCasesListBox; }

QWidget* TCaseListForm::ListWindow() const { return ui->OpenCasesListBox->viewport(); }

void TCaseListForm::SetHoverRow(int row) {
    if (row == hoverRow_) return;
    hoverRow_ = row;
    const QModelIndex top = ui->OpenCasesListBox->indexAt(QPoint(0, 0));
    delegate_->SetHoverRow(row < 0 ? -1 : (top.isValid() ? top.row() : 0) + row);
    ListWindow()->update();
}

void TCaseListForm::ClearHover() { SetHoverRow(-1); }

bool TCaseListForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListWindow()) {
        if (event->type() == QEvent::MouseMove)
            SetHoverRow(static_cast<QMouseEvent*>(event)->position().toPoint().y() / kCaseRowHeight);
        else if (event->type() == QEvent::Leave)
            ClearHover();
    }
    return QWidget::eventFilter(watched, event);
}

void TCaseListForm::OpenCasesHeaderSectionClick(int section) {
    SortByColumnClick(*rows_, lists_.OpenListSortColumn, section, LocalNow());
    ListWindow()->update();
}

void TCaseListForm::OpenCasesListBoxClick(const QModelIndex& index) {
    const cCaseObject* c = index.isValid() ? rows_->At(index.row()) : nullptr;
    if (!c) return;
    QListView* list = ui->OpenCasesListBox;
    list->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    open_.CurrentCaseObject = c;
    actions_.ClearCaseSubLists();
    open_.CurrentPatientSeq = c->PatientSeq;
    open_.CurrentCaseSeq = c->Seq;
    TCaseEditForm& edit = *screens_.CaseEdit;
    // Every part of the case or none: a part that fails must not leave the
    // screen showing another case's.
    if (edit.FillCaseForm()) {
        const bool loaded =
            actions_.LoadCaseSubLists(open_.CurrentCaseSeq, false) &&
            ReadRecord(*session_.DataServer, catalogue::tbl::kPatients, open_.CurrentPatientSeq,
                       open_.PatientRecord) &&
            actions_.LoadCaseHistory();
        if (!loaded) edit.LoadFailed();
    }
    open_.EditMode = 1;
    edit.SaveNewCaseImageButton()->hide();
    // A case that failed to load has said so once; its check-list stays empty.
    if (edit.LoadedCaseSeq().empty()) screens_.PatientHealthDetail->Clear();
    else screens_.PatientHealthDetail->LoadHealthDetail();
    actions_.ShowPanel("CaseEdit");

    list->show();
    QApplication::restoreOverrideCursor();
}

void TCaseListForm::ShowMyCasesButtonImageClick() {
    lists_.ShowAllOpenCases = false;
    actions_.LoadOpenCaseList();
}

void TCaseListForm::ShowAllCasesImageButtonClick() {
    lists_.ShowAllOpenCases = true;
    actions_.LoadOpenCaseList();
}

void TCaseListForm::EnterNewCaseButtonImageClick() {
    TAddCaseForm& add = *screens_.AddCase;
    add.FormActivate();
    ExecDialog(add);
    if (!add.CaseAdded) return;
    open_.CurrentCaseObject = nullptr;
    open_.CurrentCaseSeq = add.CaseSeq;
    open_.CurrentPatientSeq = add.PatientSeq;
    const std::string caseNumber = add.CaseValues.Value("f" + std::to_string(catalogue::cases::kCaseNumber));
    open_.CurrentCaseNumber = caseNumber.empty() ? add.CaseSeq : caseNumber;
    ReadRecord(*session_.DataServer, catalogue::tbl::kPatients, open_.CurrentPatientSeq, open_.PatientRecord);
    screens_.CaseEdit->FillCaseForm();
    ShowCaseFromValues(add.CaseValues, add.PatientName());
}

void TCaseListForm::ShowCaseFromValues(const StringList& caseValues, const std::string& patientName) {
    actions_.ShowCaseInformation(open_.CurrentCaseNumber, patientName);
    actions_.SetApplicationTitle(patientName);
    actions_.ClearCaseSubLists();
    for (const auto& [number, control] : open_.CaseEditControls) {
        SetControlText(control, caseValues.Value("f" + number));
        SetFieldChanged(control, false);
    }
    open_.EditMode = 1;
    actions_.LoadCaseHistory();
    screens_.CaseEdit->SaveNewCaseImageButton()->hide();
    screens_.PatientHealthDetail->LoadHealthDetail();
    actions_.ShowPanel("CaseEdit");
}

}  // namespace dalvero
