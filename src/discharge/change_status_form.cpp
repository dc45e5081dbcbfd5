#include "change_status_form.h"

#include "control_text.h"
#include "dialog_seam.h"
#include "field_saves.h"
#include "field_tag.h"
#include "loaded_write.h"
#include "main_window_state.h"
#include "note_limit.h"
#include "quote_status.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_change_status_form.h"

namespace dalvero {
namespace {
namespace cat = catalogue;
namespace q = catalogue::quotes;
constexpr int kReasons = 8;

std::string Name(int field) { return "f" + std::to_string(field); }
// Empty text is sent as the explicit empty value.
std::string OrEmpty(const std::string& value) { return value.empty() ? std::string(cat::kEmptyValue) : value; }
}  // namespace

TChangeStatusForm::TChangeStatusForm(MainWindowState& main, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TChangeStatusForm>()),
      session_(main.Session),
      need_(main.Need),
      saves_(main.Saves) {
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
    SetFieldTag(ui->NoteEdit, q::kNote);
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
    saves_.FieldSaves.OfferRecovered(cat::tbl::kCaseNeedsQuote, QuoteSeq, {ui->NoteEdit}, this);
}

void TChangeStatusForm::KeepUnsaved() {
    const std::string note = ControlText(ui->NoteEdit);
    if (note != Note) KeepRecoveredText(cat::tbl::kCaseNeedsQuote, QuoteSeq, q::kNote, note);
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
    // Each write carries what the planner saw, so that a colleague's change
    // since is not overwritten unseen.
    const auto award = [&](const std::string& quote, const std::string& was) {
        const std::string name = Name(cat::case_needs::kAwardedQuote);
        return UpdateRecord(db, cat::tbl::kCaseNeeds, NeedSeq,
                            WithLoadedItems({name + "=" + OrEmpty(quote)}, {name + "=" + OrEmpty(was)}));
    };
    // The award goes first and comes back when the quote cannot be written:
    // a need is never left awarded to a quote that is no longer accepted,
    // and a failure leaves both as the planner sees them.
    if (change.clearAward && !award({}, QuoteSeq)) {
        ShowMessageBox(this, "Error updating the case needs", "Error");
        return;
    }
    StringList values = change.quoteValues;
    StringList loaded{Name(q::kStatus) + "=" + OrEmpty(Status), Name(q::kRejectReason) + "=" + OrEmpty(Reason),
                      Name(q::kNote) + "=" + OrEmpty(Note)};
    if (!values.empty()) {
        const LoadedWrite written = WriteLoaded(db, cat::tbl::kCaseNeedsQuote, QuoteSeq, values, loaded, this);
        if (written != LoadedWrite::Written) {
            if (change.clearAward && !award(QuoteSeq, {})) need_.AwardedQuote.clear();
            if (written == LoadedWrite::Failed) ShowMessageBox(this, "Error updating the case needs", "Error");
            return;
        }
    }
    // What was written, a colleague's text the planner took among it.
    const auto stored = [&](int field) {
        const std::string value = loaded.Value(Name(field));
        return value == cat::kEmptyValue ? std::string() : value;
    };
    Status = stored(q::kStatus);
    Reason = Status == q::kRejected ? stored(q::kRejectReason) : std::string();
    Note = stored(q::kNote);
    if (change.clearAward) need_.AwardedQuote.clear();
    accept();
}

}  // namespace dalvero
