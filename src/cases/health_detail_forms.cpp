#include "health_detail_forms.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

#include <optional>

#include "dialog_seam.h"
#include "field_saves.h"
#include "health_checklist.h"
#include "health_checklist_view.h"
#include "image_button.h"
#include "main_window_state.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_patient_health_detail_form.h"
#include "ui_patient_health_detail_no_edit_form.h"

namespace dalvero {

namespace {
namespace cs = catalogue::cases;
const std::string kField = "f" + std::to_string(cs::kHealthDetails);
// Notes are read as joined fields, which need an alias list.
constexpr char kNoteAliases[] = "P=Patients:f10";
}  // namespace

bool ReadHealthDetail(ClientSession& session, const std::string& caseSeq, HealthDetail& detail, std::string* stored) {
    detail = {};
    std::string result;
    if (!GetRecordFields(*session.DataServer, catalogue::tbl::kCases, caseSeq, kField, result, kNoteAliases))
        return false;
    const std::string text = StringList(ParseCommaText(result)).Value(kField);
    detail = ParseHealthDetail(text);
    if (stored) *stored = text;
    return true;
}

TPatientHealthDetailForm::TPatientHealthDetailForm(MainWindowState& main)
    : ui(std::make_unique<Ui::TPatientHealthDetailForm>()),
      session_(main.Session),
      open_(main.Case),
      saves_(main.Saves),
      view_(new cHealthChecklistView(true)) {
    ui->setupUi(this);
    ui->PatientDetailsScrollBox->setWidget(view_);
    connect(view_, &cHealthChecklistView::changed, this, [this] { changed_ = true; });
    // Focus moving from the check-list to anywhere else is leaving it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* from, QWidget* to) {
        if (from && view_->isAncestorOf(from) && !(to && view_->isAncestorOf(to))) PatientDetailsScrollBoxExit();
    });
    ui->PatientHealthDetailPanel->installEventFilter(this);
}

TPatientHealthDetailForm::~TPatientHealthDetailForm() { ui->PatientHealthDetailPanel->removeEventFilter(this); }

QWidget* TPatientHealthDetailForm::Panel() const { return ui->PatientHealthDetailPanel; }

bool TPatientHealthDetailForm::eventFilter(QObject* watched, QEvent* event) {
    // Hidden on its own (another panel shown) or with the window.
    const bool hidden = event->type() == QEvent::HideToParent || event->type() == QEvent::Hide;
    if (watched == ui->PatientHealthDetailPanel && hidden) SavePending();
    return false;
}

void TPatientHealthDetailForm::Clear() {
    SavePending();
    caseSeq_.clear();
    view_->SetDetail({});
}

void TPatientHealthDetailForm::LoadHealthDetail() {
    Clear();
    HealthDetail detail;
    std::string stored;
    const bool read = ReadHealthDetail(session_, open_.CurrentCaseSeq, detail, &stored);
    // Every entry is set, so nothing of the case shown before stays.
    view_->SetDetail(detail);
    if (!read) {
        ShowMessageBox(this, "Problem reading case data", "Error");
        return;
    }
    caseSeq_ = open_.CurrentCaseSeq;
    // A save then carries the list as shown: a colleague's entries since are
    // not overwritten unseen.
    saves_.FieldSaves.Loaded(catalogue::tbl::kCases, caseSeq_, cs::kHealthDetails, stored);
    const std::optional<std::string> kept = TakeRecoveredText(catalogue::tbl::kCases, caseSeq_, cs::kHealthDetails);
    if (kept && ShowMessageBox(this,
                               "Check-list entries made here earlier could not be saved and were kept.\n\nPut "
                               "them back?",
                               "Recovered Text", QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Question) == QMessageBox::Yes) {
        view_->SetDetail(ParseHealthDetail(*kept));
        changed_ = true;
    }
}

void TPatientHealthDetailForm::SavePending() {
    if (!changed_ || caseSeq_.empty()) return;
    // The field saves keep what the server does not take, retry it with the
    // case fields and, when nobody answers, put it in a recovery file.
    changed_ = false;
    const std::string shown = HealthDetailText(view_->Detail());
    if (!saves_.FieldSaves.SaveText(*session_.DataServer, catalogue::tbl::kCases, caseSeq_, cs::kHealthDetails, shown,
                                    this))
        return;
    // The colleague's list, or a merge of both, when that is what was chosen.
    const std::optional<std::string> saved =
        saves_.FieldSaves.LoadedValue(catalogue::tbl::kCases, caseSeq_, cs::kHealthDetails);
    if (saved && *saved != shown) view_->SetDetail(ParseHealthDetail(*saved));
}

TPatientHealthDetailNoEditForm::TPatientHealthDetailNoEditForm(MainWindowState& main, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TPatientHealthDetailNoEditForm>()), session_(main.Session),
      view_(new cHealthChecklistView(false)) {
    ui->setupUi(this);
    ui->PatientDetailsScrollBox->setWidget(view_);
    connect(cImageButton::Painted(ui->BackButton, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            &TPatientHealthDetailNoEditForm::BackButtonClick);
}

TPatientHealthDetailNoEditForm::~TPatientHealthDetailNoEditForm() = default;

bool TPatientHealthDetailNoEditForm::Load(const std::string& caseSeq) {
    HealthDetail detail;
    const bool read = ReadHealthDetail(session_, caseSeq, detail);
    view_->SetDetail(detail);
    if (!read) ShowMessageBox(this, "Problem reading case data", "Error");
    return read;
}

}  // namespace dalvero
