#include "matching_providers_form.h"

#include <QComboBox>
#include <QListView>
#include <QPrinter>
#include <QPushButton>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "dialog_seam.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "function_commands.h"
#include "image_button.h"
#include "json_node.h"
#include "main_window_state.h"
#include "matching_list.h"
#include "pdf_print.h"
#include "print_preview.h"
#include "provider_info_form.h"
#include "report_files.h"
#include "report_queries.h"
#include "save_file_dialog.h"
#include "screen_content.h"
#include "signed_in_user.h"
#include "ui_matching_providers_form.h"

namespace dalvero {

TMatchingProvidersForm::TMatchingProvidersForm(MainWindowState& main, cDischargeScreens& screens, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TMatchingProvidersForm>()),
      session_(main.Session), user_(main.User), open_(main.Case), actions_(main.Actions),
      screens_(screens),
      rows_(new cMatchListModel(this)) {
    ui->setupUi(this);
    setWindowFlag(Qt::FramelessWindowHint);
    QListView* list = ui->MatchingProvidersListBox;
    list->setModel(rows_);
    matchesState_ = new cListState(list, "No providers match");
    list->setItemDelegate(new cMatchRowDelegate(*rows_, list));
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->viewport()->installEventFilter(this);
    list->installEventFilter(this);
    connect(ui->SelectAllButton, &QPushButton::clicked, this, &TMatchingProvidersForm::SelectAllButtonClick);
    connect(ui->SelectNoneButton, &QPushButton::clicked, this, &TMatchingProvidersForm::SelectNoneButtonClick);
    connect(cImageButton::Painted(ui->SendProviderRequestsImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &TMatchingProvidersForm::SendProviderRequestsImageButtonClick);
    connect(cImageButton::Painted(ui->DischargeStatusImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &QDialog::reject);
    connect(ui->PrintChoiceListButton, &QPushButton::clicked, this,
            &TMatchingProvidersForm::PrintChoiceListButtonClick);
    ChooseFile = [this](const std::string& defaultName) { return AskForSaveFile(this, defaultName); };
}

TMatchingProvidersForm::~TMatchingProvidersForm() = default;

QListView* TMatchingProvidersForm::MatchingProvidersListBox() const { return ui->MatchingProvidersListBox; }

void TMatchingProvidersForm::Clear() {
    rows_->Clear();
    ui->ChoiceListNeedCombo->clear();
}

void TMatchingProvidersForm::Fill(cJsonNode& reply, const std::string& mileRadius) {
    ui->MatchingCaseNumberLabel->setText(QString::fromStdString(open_.CurrentCaseNumber));
    mileRadius_ = mileRadius;
    QComboBox& needs = *ui->ChoiceListNeedCombo;
    for (MatchRow& row : MatchRowsFromReply(reply)) {
        const QString need = QString::fromStdString(row.Value("Seq"));
        if (!row.IsProvider() && needs.findData(need) < 0)
            needs.addItem(QString::fromStdString(row.Value("Name")), need);
        std::string text = row.Text();
        rows_->Add(std::move(text), std::move(row));
    }
    matchesState_->SetEmptyText("No providers match within " + mileRadius + " miles");
    matchesState_->Loaded(rows_->rowCount());
}

QRect TMatchingProvidersForm::TickBox(int row) const {
    if (row < 0 || row >= rows_->rowCount()) return {};
    return TickBoxRect(*rows_->At(row), ui->MatchingProvidersListBox->visualRect(rows_->index(row)));
}

void TMatchingProvidersForm::SelectAllButtonClick() {
    TickAll(rows_->Items(), true);
    rows_->Refresh();
}

void TMatchingProvidersForm::SelectNoneButtonClick() {
    TickAll(rows_->Items(), false);
    rows_->Refresh();
}

void TMatchingProvidersForm::MatchingProvidersListBoxMouseDown(const QPoint& pos) {
    QListView* list = ui->MatchingProvidersListBox;
    const QModelIndex at = list->indexAt(pos);
    // Hit first: making the row current may scroll it.
    const bool onBox = TickBox(at.row()).contains(pos);
    if (at.isValid()) list->setCurrentIndex(at);
    if (onBox) FlipTickOf(at.row());
}

void TMatchingProvidersForm::FlipTickOf(int row) {
    if (TickBox(row).isEmpty()) return;
    FlipTick(rows_->Items(), row);
    rows_->Refresh();
}

void TMatchingProvidersForm::MatchingProvidersListBoxDblClick(int row) {
    if (row < 0 || row >= rows_->rowCount()) return;
    const MatchRow& clicked = *rows_->At(row);
    if (!clicked.IsProvider()) return;
    TProviderInfoForm& card = *screens_.ProviderInfo;
    card.Fill(clicked.Value("Seq"));
    ExecDialog(card);
}

bool TMatchingProvidersForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->MatchingProvidersListBox && event->type() == QEvent::KeyPress) {
        // Space ticks the current row as a click on its box would; Return
        // and Enter show its card as a double click would.
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Space: FlipTickOf(ui->MatchingProvidersListBox->currentIndex().row()); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            MatchingProvidersListBoxDblClick(ui->MatchingProvidersListBox->currentIndex().row());
            return true;
        default: return false;
        }
    }
    if (watched == ui->MatchingProvidersListBox->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress) {
            MatchingProvidersListBoxMouseDown(mouse->position().toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            MatchingProvidersListBoxDblClick(ui->MatchingProvidersListBox->indexAt(mouse->position().toPoint()).row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TMatchingProvidersForm::SendProviderRequestsImageButtonClick() {
    const auto& rows = rows_->Items();
    if (std::none_of(rows.begin(), rows.end(), [](const MatchRow& r) { return r.ticked; })) {
        ShowMessageBox(this, "Please select one or more providers", "Nothing selected");
        return;
    }
    if (ShowMessageBox(this, "Are you sure you want to send emails to the providers?", "Are you sure",
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    cJsonNode command;
    BuildSendInitialNeedsEmails(command, ChosenProviderNeeds(rows));
    if (!RunFunctionCommand(*session_.FunctionServer, command))
        ShowMessageBox(this,
                       "There was a problem sending an email to one or more providers.\n" +
                           command.GetString(fncmd::kError),
                       "Error sending emails");
    // The server recorded the requests it could send, whatever failed.
    screens_.DischargeView->LoadCaseNeeds();
    actions_.ShowPanel("DischargeView");
    accept();
}

void TMatchingProvidersForm::PrintChoiceListButtonClick() {
    const std::string need = ui->ChoiceListNeedCombo->currentData().toString().toStdString();
    const std::string& number = open_.CurrentCaseNumber;
    const ChoiceListQuery found =
        QueryChoiceList(*session_.DataServer, *session_.FunctionServer, user_.HospitalSeq, number, need, mileRadius_);
    switch (found.outcome) {
    case ChoiceListOutcome::NoCase:
    case ChoiceListOutcome::NoNeed:
        ShowMessageBox(this, "The need is no longer part of case " + number + ": match the providers again",
                       "Notice");
        return;
    case ChoiceListOutcome::Failed:
        ShowMessageBox(this, "The choice list could not be made: " +
                                 (found.error.empty() ? session_.DataServer->ErrorText : found.error),
                       "Error");
        return;
    case ChoiceListOutcome::Ready: break;
    }
    ShowPrintPreview(
        this, "ChoiceListPreview", kChoiceListTitle, QPageLayout::Portrait,
        [&found](QPrinter& device) {
            cPainterPrint page(device);
            PrintChoiceList(page, found.list);
        },
        [this, &found] {
            const std::string path = ChooseFile(kChoiceListFileName);
            if (!path.empty() && !SaveReportBytes(path, ChoiceListPdf(found.list)))
                ShowMessageBox(this, "Unable to write " + path, "Error");
        });
}

}  // namespace dalvero
