#include "change_status_form.h"

#include "dialog_seam.h"
#include "main_window_state.h"
#include "note_limit.h"
#include "quote_status.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_change_status_form.h"

namespace dalvero {
namespace {
namespace q = catalogue::quotes;
constexpr int kReasons = 8;
}  // namespace

TChangeStatusForm::TChangeStatusForm(MainWindowState& main, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TChangeStatusForm>()), session_(main.Session), need_(main.Need) {
    ui->setupUi(this);
    // The reasons are unticked together, which auto-exclusive buttons refuse:
    // they keep one ticked by hand instead.
    for (int r = 1; r <= kReasons; ++r) {
        QRadioButton* button = ReasonButton(r);
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::toggled, this, [this, button](bool on) {
            if (!on) return;
            for (int other = 1; other <= kReasons; ++other)
                if (ReasonButton(other) != button) ReasonButton(other)->setChecked(false);
        });
    }
    for (QRadioButton* status : {ui->WaitingOnProviderRadioButton, ui->ProviderAcceptRadioButton,
                                 ui->ProviderRejectRadioButton, ui->CancelledRadioButton})
        connect(status, &QRadioButton::clicked, this, &TChangeStatusForm::StatusClick);
    connect(ui->OKButton, &QPushButton::clicked, this, &TChangeStatusForm::OKButtonClick);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    LimitNoteLength(ui->NoteEdit, q::kNoteBytes);
}

TChangeStatusForm::~TChangeStatusForm() = default;

QRadioButton* TChangeStatusForm::ReasonButton(int reason) const {
    return findChild<QRadioButton*>("RejectCode" + QString::number(reason) + "RadioButton");
}

void TChangeStatusForm::Prepare() {
    setWindowTitle("Change Quote Status");
    ui->QuoteLabel->setText(QString::fromStdString(ProviderName));
    ui->NoteEdit->setPlainText(QString::fromStdString(Note));
    ui->WaitingOnProviderRadioButton->setChecked(true);
    ui->ProviderAcceptRadioButton->setChecked(Status == q::kAccepted);
    ui->ProviderRejectRadioButton->setChecked(Status == q::kRejected);
    ui->CancelledRadioButton->setChecked(Status == q::kCancelled);
    if (Status != q::kRejected) Reason.clear();
    for (int r = 1; r <= kReasons; ++r) ReasonButton(r)->setChecked(Reason == std::to_string(r));
    ui->RejectionReasonsGroupBox->setVisible(Status == q::kRejected);
}

void TChangeStatusForm::StatusClick() {
    const bool rejected = ui->ProviderRejectRadioButton->isChecked();
    if (!rejected)
        for (int r = 1; r <= kReasons; ++r) ReasonButton(r)->setChecked(false);
    ui->RejectionReasonsGroupBox->setVisible(rejected);
}

std::string TChangeStatusForm::ChosenStatus() const {
    if (ui->ProviderAcceptRadioButton->isChecked()) return q::kAccepted;
    if (ui->ProviderRejectRadioButton->isChecked()) return q::kRejected;
    if (ui->CancelledRadioButton->isChecked()) return q::kCancelled;
    return q::kWaiting;
}

std::string TChangeStatusForm::ChosenReason() const {
    for (int r = 1; r <= kReasons; ++r)
        if (ReasonButton(r)->isChecked()) return std::to_string(r);
    return {};
}

void TChangeStatusForm::OKButtonClick() {
    const QuoteState chosen{ChosenStatus(), ChosenReason(), ui->NoteEdit->toPlainText().toStdString()};
    if (chosen.status == q::kRejected) {
        if (chosen.reason.empty()) {
            ShowMessageBox(this, "Please choose a reason for rejection", "Missing Data");
            return;
        }
        if (chosen.reason == q::kReasonOther && chosen.note.empty()) {
            ShowMessageBox(this, "An explanation must be given for the rejection", "Missing Data");
            return;
        }
    }
    const bool awarded = !QuoteSeq.empty() && QuoteSeq == need_.AwardedQuote;
    const QuoteChange change = GatherQuoteChange({Status, Reason, Note}, chosen, awarded);
    dbServerConnection& db = *session_.DataServer;
    const auto award = [&](const std::string& quote) {
        return UpdateRecord(db, catalogue::tbl::kCaseNeeds, NeedSeq,
                            {"f" + std::to_string(catalogue::case_needs::kAwardedQuote) + "=" +
                             (quote.empty() ? std::string(catalogue::kEmptyValue) : quote)});
    };
    // The award goes first and comes back when the quote cannot be written:
    // a need is never left awarded to a quote that is no longer accepted,
    // and a failure leaves both as the planner sees them.
    if (change.clearAward && !award({})) {
        ShowMessageBox(this, "Error updating the case needs", "Error");
        return;
    }
    if (!change.quoteValues.empty() &&
        !UpdateRecord(db, catalogue::tbl::kCaseNeedsQuote, QuoteSeq, change.quoteValues)) {
        if (change.clearAward && !award(QuoteSeq)) need_.AwardedQuote.clear();
        ShowMessageBox(this, "Error updating the case needs", "Error");
        return;
    }
    Status = chosen.status;
    Reason = chosen.status == q::kRejected ? chosen.reason : std::string();
    Note = chosen.note;
    if (change.clearAward) need_.AwardedQuote.clear();
    accept();
}

}  // namespace dalvero
