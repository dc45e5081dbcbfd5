#include "case_list_prev_form.h"

#include <QLayout>

#include <algorithm>

#include "case_list_model.h"
#include "case_row_delegate.h"
#include "case_screens.h"
#include "form_keys.h"
#include "image_button.h"
#include "main_window_state.h"
#include "previous_case_edit_form.h"
#include "my_all_tabs.h"
#include "screen_content.h"
#include "ui_case_list_prev_form.h"

namespace dalvero {

TCaseListPrevForm::TCaseListPrevForm(MainWindowState& main, cCaseScreens& screens)
    : ui(std::make_unique<Ui::TCaseListPrevForm>()),
      lists_(main.Lists),
      actions_(main.Actions),
      screens_(screens),
      rows_(new cCaseListModel(this)) {
    ui->setupUi(this);
    ui->PrevCasesHeader->SetSections({{"Name", 200},
                                      {"Case", 130},
                                      {"Room", 70},
                                      {"Bed", 50},
                                      {"Admit Date", 100},
                                      {"Disc Date", 100},
                                      {"M/F", 40},
                                      {"Age", 70},
                                      {"Case Worker", 175}});
    // The list pages on the server's order; its header does not sort.
    ui->PrevCasesHeader->setSectionsClickable(false);
    QListView* list = ui->PrevCasesListBox;
    list->setModel(rows_);
    list->setItemDelegate(new cCaseRowDelegate(*rows_, *ui->PrevCasesHeader, false, list));
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    loadState_ = new cListState(list, "No previous cases", [this] { actions_.LoadPreviousCaseList(false); });
    connect(ui->PrevCasesHeader, &QHeaderView::sectionResized, list->viewport(), qOverload<>(&QWidget::update));
    ui->PrevCasesHeader->KeepColumnsWhole(*list);
    connect(list, &QListView::clicked, this, &TCaseListPrevForm::PrevCasesListBoxClick);
    connect(list, &QListView::activated, this, &TCaseListPrevForm::PrevCasesListBoxClick);
    cFormKeys::Of(ui->PrevCasesListPanel).SetStartControl(list);

    const MyAllTabs tabs = MakeMyAllTabs(this, ui->ShowMyCasesButtonImage, ui->ShowAllCasesImageButton);
    connect(tabs.mine, &cImageButton::clicked, this, &TCaseListPrevForm::ShowMyCasesButtonImageClick);
    connect(tabs.all, &cImageButton::clicked, this, &TCaseListPrevForm::ShowAllCasesImageButtonClick);
    connect(cImageButton::Painted(ui->PageUpImage, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            &TCaseListPrevForm::PageUpImageClick);
    connect(cImageButton::Painted(ui->PageDownImage, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            &TCaseListPrevForm::PageDownImageClick);
}

TCaseListPrevForm::~TCaseListPrevForm() = default;

QWidget* TCaseListPrevForm::Panel() const { return ui->PrevCasesListPanel; }

int TCaseListPrevForm::PageSize() const {
    // The list is filled before its panel shows: lay the panel out in the
    // place it is about to take, which the hosted panels share.
    QWidget* panel = ui->PrevCasesListPanel;
    if (panel->isHidden() && panel->parentWidget()) {
        panel->resize(panel->parentWidget()->size());
        panel->layout()->activate();
    }
    // The list's own geometry: its viewport is only laid out once shown.
    return std::max(1, ui->PrevCasesListBox->contentsRect().height() / kCaseRowHeight);
}

void TCaseListPrevForm::SetPagingButtonsVisible(bool visible) {
    ui->PageUpImage->setVisible(visible);
    ui->PageDownImage->setVisible(visible);
}

bool TCaseListPrevForm::PagingButtonsVisible() const { return !ui->PageDownImage->isHidden(); }

void TCaseListPrevForm::ShowMyCasesButtonImageClick() {
    lists_.ShowAllPreviousCases = false;
    actions_.LoadPreviousCaseList(false);
}

void TCaseListPrevForm::ShowAllCasesImageButtonClick() {
    lists_.ShowAllPreviousCases = true;
    actions_.LoadPreviousCaseList(false);
}

// The list pages on the server's marks: a page that fails is a failed load,
// never the list's end.
void TCaseListPrevForm::PageUpImageClick() {
    const bool read = lists_.PreviousListBatch.PriorPage();
    actions_.LoadPreviousCaseList(true);
    if (!read) loadState_->Failed();
}

void TCaseListPrevForm::PageDownImageClick() {
    const bool read = lists_.PreviousListBatch.NextPage();
    actions_.LoadPreviousCaseList(true);
    if (!read) loadState_->Failed();
}

void TCaseListPrevForm::PrevCasesListBoxClick(const QModelIndex& index) {
    if (const cCaseObject* c = index.isValid() ? rows_->At(index.row()) : nullptr)
        screens_.PreviousCaseEdit->Open(c->Seq, c->PatientSeq);
}

}  // namespace dalvero
