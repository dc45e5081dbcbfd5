#include "discharge_item_detail_form.h"

#include <QComboBox>
#include <QDateTime>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>

#include "case_need_selection_form.h"
#include "case_needs.h"
#include "change_status_form.h"
#include "control_text.h"
#include "date_edit.h"
#include "date_text.h"
#include "dialog_seam.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "field_saves.h"
#include "field_tag.h"
#include "image_button.h"
#include "list_header.h"
#include "loaded_write.h"
#include "main_window_state.h"
#include "need_time.h"
#include "note_limit.h"
#include "quote_list_model.h"
#include "quote_row_delegate.h"
#include "record_batch.h"
#include "record_ops.h"
#include "screen_content.h"
#include "table_catalogue.h"
#include "ui_discharge_item_detail_form.h"

namespace dalvero {
namespace {
namespace cat = catalogue;
namespace need = catalogue::case_needs;

constexpr int kMostCategories = 10000;
constexpr int kMostQuotes = 1000;

std::string Field(int number, const std::string& value) { return "f" + std::to_string(number) + "=" + value; }
// Empty text is written as the explicit empty value.
std::string OrEmptyValue(const std::string& value) { return value.empty() ? cat::kEmptyValue : value; }
// A stored "~~~" reads as nothing.
std::string Stored(const StringList& record, const char* name) {
    const std::string value = record.Value(name);
    return value == cat::kEmptyValue ? std::string() : value;
}
QString Text(const std::string& s) { return QString::fromStdString(s); }

// A case a colleague closed, or a value the server does not take, is said
// in the server's words; anything else in the window's own.
std::string WriteFailure(const dbServerConnection& db, const std::string& otherwise) {
    const std::string reason = LastingRefusal(db);
    return reason.empty() ? otherwise : reason;
}
}  // namespace

TDischargeItemDetailForm::TDischargeItemDetailForm(MainWindowState& main, cDischargeScreens& screens,
                                                   QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TDischargeItemDetailForm>()),
      session_(main.Session), open_(main.Case), lists_(main.Lists), need_(main.Need), saves_(main.Saves),
      screens_(screens),
      quotes_(new cQuoteListModel(this)),
      header_(nullptr),
      dateField_(nullptr),
      deliveredField_(nullptr) {
    ui->setupUi(this);
    setWindowFlag(Qt::FramelessWindowHint);
    dateField_ = new cDateEdit(ui->CaseNeedDateEdit, this);
    deliveredField_ = new cDateEdit(ui->CaseNeedDeliveredDateEdit, this);

    header_ = new cListHeader(ui->QuoteGroupBox);
    header_->setObjectName("NeedQuoteHeaderControl");
    header_->SetSections(
        {{"Provider", 300}, {"Price", 50}, {"Status", 80}, {"Note", 320}, {"   ", 85}, {"Awarded", 60}});
    header_->FollowSort(*quotes_, lists_.QuoteListSortColumn);
    ui->QuoteLayout->insertWidget(1, header_);
    connect(header_, &QHeaderView::sectionClicked, this, &TDischargeItemDetailForm::NeedQuoteHeaderSectionClick);
    quotesState_ = new cListState(ui->NeedQuoteListBox, "No provider bids yet");

    QListView* list = ui->NeedQuoteListBox;
    list->setModel(quotes_);
    quoteRows_ = new cQuoteRowDelegate(*quotes_, *header_, [this] { return need_.AwardedQuote; }, list);
    list->setItemDelegate(quoteRows_);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->viewport()->installEventFilter(this);
    list->installEventFilter(this);
    connect(header_, &QHeaderView::sectionResized, list->viewport(), qOverload<>(&QWidget::update));

    connect(cImageButton::Painted(ui->CaseNeedSaveImageButton, ImageButtonArt::Shape::Button), &cImageButton::clicked,
            this, &TDischargeItemDetailForm::CaseNeedSaveImageButtonClick);
    connect(cImageButton::Painted(ui->CaseNeedDeleteImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &TDischargeItemDetailForm::CaseNeedDeleteImageButtonClick);
    connect(cImageButton::Painted(ui->DischargeStatusImageButton, ImageButtonArt::Shape::Button),
            &cImageButton::clicked, this, &TDischargeItemDetailForm::DischargeStatusImageButtonClick);
    connect(ui->CaseNeedSelectionButton, &QPushButton::clicked, this,
            &TDischargeItemDetailForm::CaseNeedSelectionButtonClick);
    connect(ui->RejectionsCB, &QCheckBox::toggled, this, &TDischargeItemDetailForm::LoadQuotes);
    connect(ui->CaseNeedCategoryEdit, &QComboBox::activated, this, &TDischargeItemDetailForm::CategoryChosen);
    const auto markOnEdit = [this](QLineEdit* edit, Mark mark) {
        connect(edit, &QLineEdit::textChanged, this, [this, mark] { SetMark(mark); });
    };
    markOnEdit(ui->CaseNeedDateEdit, kDateMark);
    markOnEdit(ui->CaseNeedTimeEdit, kTimeMark);
    markOnEdit(ui->CaseNeedDeliveredDateEdit, kDeliveredMark);
    connect(ui->CaseNeedDescEdit, &QPlainTextEdit::textChanged, this, [this] { SetMark(kDescriptionMark); });
    SetFieldTag(ui->CaseNeedDescEdit, need::kDescription);
    LimitNoteLength(ui->CaseNeedDescEdit, need::kDescriptionBytes);
}

TDischargeItemDetailForm::~TDischargeItemDetailForm() = default;

QListView* TDischargeItemDetailForm::NeedQuoteListBox() const { return ui->NeedQuoteListBox; }
bool TDischargeItemDetailForm::SaveShown() const { return !ui->CaseNeedSaveImageButton->isHidden(); }

QRect TDischargeItemDetailForm::ChangeStatusRect(int row) const {
    return cQuoteRowDelegate::ChangeStatusRect(*header_, ui->NeedQuoteListBox->visualRect(quotes_->index(row)));
}

QRect TDischargeItemDetailForm::AwardedRect(int row) const {
    return cQuoteRowDelegate::AwardedRect(*header_, ui->NeedQuoteListBox->visualRect(quotes_->index(row)));
}

void TDischargeItemDetailForm::SetMark(Mark mark) {
    if (filling_) return;
    marks_[mark] = true;
    ShowSave(true);
}

void TDischargeItemDetailForm::ClearMarks() { marks_.fill(false); }

void TDischargeItemDetailForm::ForgetChanges() {
    ClearMarks();
    ShowSave(false);
}

void TDischargeItemDetailForm::ShowSave(bool shown) { ui->CaseNeedSaveImageButton->setVisible(shown); }

std::string TDischargeItemDetailForm::RecoverySeq() const {
    return need_.NeedDialogMode == NeedInEdit::kAddingNeed ? "case" + open_.CurrentCaseSeq : need_.CurrentNeedSeq;
}

void TDischargeItemDetailForm::KeepUnsaved() {
    if (marks_[kDescriptionMark])
        KeepRecoveredText(cat::tbl::kCaseNeeds, RecoverySeq(), need::kDescription,
                          ControlText(ui->CaseNeedDescEdit));
}

void TDischargeItemDetailForm::OfferRecoveredDescription() {
    saves_.FieldSaves.OfferRecovered(cat::tbl::kCaseNeeds, RecoverySeq(), {ui->CaseNeedDescEdit}, this);
}

void TDischargeItemDetailForm::FillCategories(const std::string& key, const std::string& selectSeq) {
    QComboBox* combo = ui->CaseNeedCategoryEdit;
    combo->clear();
    cRecordBatch batch;
    if (batch.Query(session_.DataServer.get(), cat::tbl::kProviderCategories, cat::kListByOwner, key, "", 0,
                    kMostCategories, "f12", "", "", "F") &&
        batch.Set->First()) {
        cBatchSet& set = *batch.Set;
        do combo->addItem(Text(set.ReadField(cat::provider_categories::kName)), ToIntDef(set.Seq, 0));
        while (set.Next());
    }
    combo->model()->sort(0);
    combo->setCurrentIndex(selectSeq.empty() ? -1 : combo->findData(ToIntDef(selectSeq, 0)));
    rememberedCategory_ = combo->currentIndex();
}

void TDischargeItemDetailForm::FillForEditing() {
    filling_ = true;
    const StringList& record = need_.CurrentNeedRecord;
    const std::string category = Stored(record, "f12");
    FillCategories(category, category);
    const std::string required = Stored(record, "f14");
    ui->CaseNeedDateEdit->setText(Text(DateToDisplay(required)));
    ui->CaseNeedTimeEdit->setText(Text(StampTimeOfDay(required)));
    ui->CaseNeedDescEdit->setPlainText(Text(Stored(record, "f15")));
    ui->CaseNeedDeliveredDateEdit->setText(Text(DateToDisplay(Stored(record, "f17"))));
    need_.AwardedQuote = Stored(record, "f16");
    ui->DischargeDetailCaseNumberLabel->setText(Text(open_.CurrentCaseNumber));
    need_.NeedDialogMode = NeedInEdit::kEditingNeed;
    LoadQuotes();
    lists_.QuoteListSortColumn = -1;
    ui->AddingLabel->hide();
    ShowSave(false);
    ui->CaseNeedDeleteImageButton->show();
    ui->QuoteGroupBox->show();
    ClearMarks();
    filling_ = false;
    OfferRecoveredDescription();
}

void TDischargeItemDetailForm::FillForAdding() {
    filling_ = true;
    FillCategories(Stored(need_.CurrentNeedRecord, "f12"), {});
    const QDateTime now = QDateTime::currentDateTime();
    ui->CaseNeedDateEdit->setText(now.toString("MM/dd/yyyy"));
    ui->CaseNeedTimeEdit->setText(now.toString("hh:mm"));
    ui->CaseNeedDescEdit->clear();
    ui->CaseNeedDeliveredDateEdit->clear();
    ui->DischargeDetailCaseNumberLabel->setText(Text(open_.CurrentCaseNumber));
    ui->AddingLabel->show();
    ShowSave(false);
    ui->CaseNeedDeleteImageButton->hide();
    ui->QuoteGroupBox->hide();
    quotes_->Clear();
    need_.NeedDialogMode = NeedInEdit::kAddingNeed;
    need_.AwardedQuote.clear();
    rememberedCategory_ = -1;
    ClearMarks();
    for (Mark mark : {kCategoryMark, kDateMark, kTimeMark, kDescriptionMark}) marks_[mark] = true;
    filling_ = false;
    OfferRecoveredDescription();
}

void TDischargeItemDetailForm::LoadQuotes() {
    quotes_->Clear();
    std::vector<DischargeItemListDataClass> quotes;
    if (!QueryNeedQuotes(*session_.DataServer, need_.CurrentNeedSeq, ui->RejectionsCB->isChecked(), quotes)) {
        quotesState_->Failed();
        ShowMessageBox(this, "The provider bids for this item could not be loaded.", "Error");
        return;
    }
    for (DischargeItemListDataClass& quote : quotes) quotes_->Add(std::move(quote));
    quotesState_->Loaded(quotes_->rowCount());
    ui->NeedQuoteListBox->viewport()->update();
}

void TDischargeItemDetailForm::CategoryChosen() {
    QComboBox* combo = ui->CaseNeedCategoryEdit;
    if (combo->currentIndex() < 0) combo->setCurrentText({});
    if (combo->currentIndex() == rememberedCategory_) return;
    rememberedCategory_ = combo->currentIndex();
    SetMark(kCategoryMark);
}

void TDischargeItemDetailForm::CaseNeedSelectionButtonClick() {
    TCaseNeedSelectionForm& picker = *screens_.CaseNeedSelection;
    ExecDialog(picker);
    if (picker.Result().empty()) return;
    ui->CaseNeedCategoryEdit->setCurrentIndex(ui->CaseNeedCategoryEdit->findData(ToIntDef(picker.Result(), 0)));
    rememberedCategory_ = ui->CaseNeedCategoryEdit->currentIndex();
    SetMark(kCategoryMark);
}

void TDischargeItemDetailForm::CaseNeedSaveImageButtonClick() {
    const std::string date = dateField_->Value();
    if (date.empty()) {
        ShowMessageBox(this, "Please enter a date.", "Missing data");
        return;
    }
    const std::optional<std::string> time = NormalizeNeedTime(ui->CaseNeedTimeEdit->text().trimmed().toStdString());
    if (!time) {
        ShowMessageBox(this, "Please enter the time as hh:mm, from 00:00 to 23:59.", "Missing data");
        return;
    }
    StringList values;
    if (marks_[kCategoryMark]) {
        const QVariant seq = ui->CaseNeedCategoryEdit->currentData();
        values.push_back(Field(need::kCategory, OrEmptyValue(seq.isValid() ? std::to_string(seq.toInt()) : "")));
    }
    if (marks_[kDateMark] || marks_[kTimeMark]) values.push_back(Field(need::kRequired, date + *time));
    if (marks_[kDeliveredMark]) values.push_back(Field(need::kDelivered, OrEmptyValue(deliveredField_->Value())));
    if (marks_[kDescriptionMark]) {
        std::string text = ui->CaseNeedDescEdit->toPlainText().toStdString();
        // Stored with the CR LF line breaks the rest of the product uses.
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
        values.push_back(Field(need::kDescription, OrEmptyValue(text)));
    }
    dbServerConnection& db = *session_.DataServer;
    const bool adding = need_.NeedDialogMode == NeedInEdit::kAddingNeed;
    // A failed write keeps the dialog open with what the planner typed.
    if (adding) {
        values.push_back(Field(need::kCreated, QDateTime::currentDateTime().toString("yyyyMMddhhmmss").toStdString()));
        values.push_back(Field(need::kCreator, session_.UserField(cat::personnel::kFirstName)));
        values.push_back(Field(need::kCase, open_.CurrentCaseSeq));
        const std::string seq = AddRecord(db, cat::tbl::kCaseNeeds, values);
        if (seq.empty()) {
            ShowMessageBox(this, WriteFailure(db, "There was a problem adding this item -- notify manager"), "Error");
            return;
        }
        need_.CurrentNeedSeq = seq;
        need_.NeedDialogMode = NeedInEdit::kEditingNeed;
    } else {
        // Carries the need as it was opened: a colleague's change since is
        // shown beside the planner's, not overwritten.
        StringList loaded = need_.CurrentNeedRecord;
        switch (WriteLoaded(db, cat::tbl::kCaseNeeds, need_.CurrentNeedSeq, values, loaded, this)) {
        case LoadedWrite::Written: break;
        case LoadedWrite::Cancelled: return;
        case LoadedWrite::Failed:
            ShowMessageBox(this, WriteFailure(db, "There was a problem updating this item -- notify manager"),
                           "Error");
            return;
        }
    }
    screens_.DischargeView->LoadCaseNeeds();
    ShowSave(false);
    ClearMarks();
    CloseDialog(adding);
}

void TDischargeItemDetailForm::CaseNeedDeleteImageButtonClick() {
    if (ShowMessageBox(this, "Are you sure you want to delete this case item?", "Are you sure",
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    dbServerConnection& db = *session_.DataServer;
    std::vector<std::string> quoteSeqs;
    bool active = false;
    cRecordBatch batch;
    // Without its quotes the second question could not be asked.
    if (!batch.Query(&db, cat::tbl::kCaseNeedsQuote, cat::kListByOwner, need_.CurrentNeedSeq, "", 0, kMostQuotes,
                     "f14", "", "", "F")) {
        ShowMessageBox(this,
                       "The quotes of this case item could not be read, so it was not deleted; please try again.",
                       "Error");
        return;
    }
    if (batch.Set->First()) {
        cBatchSet& set = *batch.Set;
        do {
            quoteSeqs.push_back(set.Seq);
            const QString status = Text(set.ReadField(cat::quotes::kStatus)).toUpper();
            active = active || status != cat::quotes::kCancelled;
        } while (set.Next());
    }
    if (active && ShowMessageBox(this, "This case item has active quotes.  Are you sure you want to delete them?",
                                 "Are you sure", QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // The list would go on showing a need that was not deleted.
    if (!UpdateRecord(db, cat::tbl::kCaseNeeds, need_.CurrentNeedSeq, {Field(need::kDeleted, cat::kYes)})) {
        ShowMessageBox(this, WriteFailure(db, "There was a problem deleting this item -- notify manager"), "Error");
        return;
    }
    // Quotes of a deleted need would go on waiting for their providers.
    for (auto quote = quoteSeqs.begin(); quote != quoteSeqs.end();) {
        if (UpdateRecord(db, cat::tbl::kCaseNeedsQuote, *quote,
                         {Field(cat::quotes::kClosingMark, cat::quotes::kClosedMark)})) {
            quote = quoteSeqs.erase(quote);
            continue;
        }
        if (ShowMessageBox(this,
                           "The item is deleted, but not all of its quotes could be closed: the data server cannot "
                           "be reached.\nRetry to close them now?",
                           "Error", QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry)
            break;
    }
    screens_.DischargeView->LoadCaseNeeds();
    ShowSave(false);
    CloseDialog(true);
}

void TDischargeItemDetailForm::DischargeStatusImageButtonClick() {
    if (SaveShown() && ShowMessageBox(this, "Do you want to cancel your changes to the case need?", "Are you sure?",
                                      QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    ShowSave(false);
    CloseDialog(need_.NeedDialogMode == NeedInEdit::kAddingNeed);
}

void TDischargeItemDetailForm::reject() { DischargeStatusImageButtonClick(); }

void TDischargeItemDetailForm::CloseDialog(bool afterWrite) {
    QDialog::done(QDialog::Accepted);
    if (afterWrite) return;
    const auto statuses = QueryNeedStatuses(*session_.FunctionServer, {need_.CurrentNeedSeq});
    // Found by its Seq: the selected row may be another need by now.
    if (!statuses.empty()) screens_.DischargeView->SetNeedStatus(need_.CurrentNeedSeq, statuses.front().second);
}

void TDischargeItemDetailForm::keyPressEvent(QKeyEvent* event) {
    // Enter saves, as the default button would.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && SaveShown()) {
        CaseNeedSaveImageButtonClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDischargeItemDetailForm::NeedQuoteHeaderSectionClick(int section) {
    quotes_->HeaderClick(section, lists_.QuoteListSortColumn);
    ui->NeedQuoteListBox->viewport()->update();
}

bool TDischargeItemDetailForm::eventFilter(QObject* watched, QEvent* event) {
    QListView* list = ui->NeedQuoteListBox;
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonPress) {
        NeedQuoteListBoxMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    if (watched == list && event->type() == QEvent::FocusIn) {
        // Coming back by Shift+Tab lands on the circle, the row's last part.
        quoteRows_->SetKeysOnAward(static_cast<QFocusEvent*>(event)->reason() == Qt::BacktabFocusReason);
        if (!list->currentIndex().isValid() && quotes_->rowCount() > 0) list->setCurrentIndex(quotes_->index(0));
    }
    if (watched == list && event->type() == QEvent::KeyPress)
        return NeedQuoteListBoxKey(*static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TDischargeItemDetailForm::NeedQuoteListBoxKey(const QKeyEvent& key) {
    QListView* list = ui->NeedQuoteListBox;
    const int row = list->currentIndex().row();
    const bool onAward = quoteRows_->KeysOnAward();
    // Tab walks from a row's "Change Status" to its circle and then on out
    // of the list; Shift+Tab the other way.
    const bool tab = key.key() == Qt::Key_Tab && key.modifiers() == Qt::NoModifier;
    const bool backtab =
        key.key() == Qt::Key_Backtab || (key.key() == Qt::Key_Tab && key.modifiers() == Qt::ShiftModifier);
    if (row >= 0 && ((tab && !onAward) || (backtab && onAward))) {
        quoteRows_->SetKeysOnAward(tab);
        list->viewport()->update();
        return true;
    }
    if (row < 0 || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    switch (key.key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onAward)
            ToggleAward(row);
        else
            ChangeQuoteStatus(row);
        return true;
    default: return false;
    }
}

void TDischargeItemDetailForm::NeedQuoteListBoxMouseDown(const QPoint& pos) {
    const int row = ui->NeedQuoteListBox->indexAt(pos).row();
    if (!quotes_->Quote(row)) return;
    // Hit first: making the row current may scroll it.
    const bool onButton = ChangeStatusRect(row).contains(pos);
    const bool onCircle = AwardedRect(row).contains(pos);
    ui->NeedQuoteListBox->setCurrentIndex(quotes_->index(row));
    if (onButton)
        ChangeQuoteStatus(row);
    else if (onCircle)
        ToggleAward(row);
}

void TDischargeItemDetailForm::ChangeQuoteStatus(int row) {
    DischargeItemListDataClass* quote = quotes_->Quote(row);
    TChangeStatusForm& change = *screens_.ChangeStatus;
    change.ProviderName = quote->Values.Value("pe10");
    change.QuoteSeq = quote->Seq;
    change.NeedSeq = need_.CurrentNeedSeq;
    const QuoteState state = quote->State();
    change.Status = state.status;
    change.Reason = state.reason;
    change.Note = state.note;
    change.Prepare();
    ExecDialog(change);
    quote->SetState({change.Status, change.Reason, change.Note});
    ui->NeedQuoteListBox->viewport()->update();
}

void TDischargeItemDetailForm::ToggleAward(int row) {
    const DischargeItemListDataClass* quote = quotes_->Quote(row);
    const bool awarded = quote->Seq == need_.AwardedQuote;
    if (!awarded && quote->State().status != cat::quotes::kAccepted) return;
    const std::string value = awarded ? std::string() : quote->Seq;
    // Refused when a colleague moved the award since the need was opened.
    if (!UpdateRecord(*session_.DataServer, cat::tbl::kCaseNeeds, need_.CurrentNeedSeq,
                      WithLoadedItems({Field(need::kAwardedQuote, OrEmptyValue(value))},
                                      {Field(need::kAwardedQuote, OrEmptyValue(need_.AwardedQuote))}))) {
        ShowMessageBox(this, "Error updating the case needs", "Error");
        return;
    }
    need_.AwardedQuote = value;
    ui->NeedQuoteListBox->viewport()->update();
}

}  // namespace dalvero
