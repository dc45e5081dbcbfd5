#include "case_list_editors.h"

#include <QCheckBox>
#include <QListView>

#include "case_labels.h"
#include "code_lookup_form.h"
#include "dialog_seam.h"
#include "item_list_model.h"
#include "lookup_form.h"
#include "main_window_state.h"
#include "phone_edit.h"
#include "phone_text.h"
#include "table_catalogue.h"
#include "ui_case_codes_list_form.h"
#include "ui_case_family_list_form.h"
#include "ui_case_physician_list_form.h"

namespace dalvero {

namespace {
namespace cat = catalogue;

constexpr int kRowHeight = 21;
constexpr char kPrimary[] = "P";

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
std::string Mark(bool primary) { return primary ? kPrimary : ""; }

// The physician look-up: the hospital's doctors by last name.
LookupParameters PhysicianLookup(dbServerConnection* db) {
    LookupParameters p;
    p.Connection = db;
    p.Caption = "Lookup a Physician";
    p.Mode = "D";
    p.Table = cat::tbl::kPersonnel;
    p.Index = "L2";
    p.MaxCount = 17;
    p.DisplayFields = "f13,f11,f28,hosp10";
    p.ColumnWidths = "80,80,120,120";
    p.ColumnAligns = "L,L,L,L";
    p.MatchField = 13;
    p.FieldList = "f10,f11,f12,f13,f14,f15,f16,f17,f18,f19,f20,f21,f22,f23,f24,f25,f26,f27,f28,hosp10";
    p.AliasList = "hosp=ProviderEntities:f9";
    p.Filter = "f27=Y";
    return p;
}

// Enter saves the open edit panel, but not while the list has the focus:
// there it opens the row.
bool SavesOnEnter(const QWidget* panel, const QListView* list) { return panel->isVisible() && !list->hasFocus(); }
}  // namespace

TCasePhysicianListForm::TCasePhysicianListForm(MainWindowState& main, TLookupForm& lookup, QWidget* parent)
    : cSubListEditor(main, CaseSubList::kPhysicians, parent), ui(std::make_unique<Ui::TCasePhysicianListForm>()),
      lookup_(lookup) {
    ui->setupUi(this);
    SetUpList(ui->DoctorListBox, ui->SelectedHeaderControl,
              {{"Name", 200}, {"Specialty", 160}, {"Phone", 130}, {"Hospital", 250}},
              [this](int row) {
                  const ListBoxItemClass& i = *Rows().At(row);
                  const std::string specialty = i.GetValue("f13").empty() ? i.GetValue("doc28") : i.GetValue("f13");
                  return std::vector<std::string>{i.GetValue("doc13") + ", " + i.GetValue("doc11"), specialty,
                                                  PhoneDisplayText(i.GetValue("doc19")), i.GetValue("hosp10")};
              },
              kRowHeight);
    BindButton(ui->AddButton, [this] { AddButtonClick(); });
    BindButton(ui->SaveButton, [this] { SaveButtonClick(); });
    BindButton(ui->RemoveButton, [this] { RemoveButtonClick(); });
    BindButton(ui->BackButton, [this] { reject(); });
}

TCasePhysicianListForm::~TCasePhysicianListForm() = default;

void TCasePhysicianListForm::Prepare() { ui->SelectedEditPanel->hide(); }

void TCasePhysicianListForm::DefaultAction() {
    if (SavesOnEnter(ui->SelectedEditPanel, ui->DoctorListBox)) SaveButtonClick();
}

void TCasePhysicianListForm::ShowRow(const ListBoxItemClass& item) {
    ui->SpecialtyEdit->setText(QString::fromStdString(item.GetValue("f13")));
    ui->PrimaryDoctorCheckBox->setChecked(item.GetValue("f12") == kPrimary);
    ui->SelectedEditPanel->show();
    ui->SpecialtyEdit->setFocus();
}

StringList TCasePhysicianListForm::PanelValues() const {
    return {"f12=" + Mark(ui->PrimaryDoctorCheckBox->isChecked()), "f13=" + Text(ui->SpecialtyEdit)};
}

const QWidget* TCasePhysicianListForm::EditPanel() const { return ui->SelectedEditPanel; }

void TCasePhysicianListForm::AddButtonClick() {
    lookup_.Parameters = PhysicianLookup(&Db());
    lookup_.Prepare();
    ExecDialog(lookup_);
    cBatchSet* chosen = lookup_.SelectedSet();
    if (!chosen) return;
    ListBoxItemClass item;
    for (int field = 10; field <= 28; ++field)
        item.SetValue("doc" + std::to_string(field), chosen->ReadField(field));
    item.SetValue("hosp10", chosen->ReadField("hosp10"));
    item.SetValue("f11", chosen->Seq);
    std::string text = SubListText(CaseSubList::kPhysicians, item);
    AddRow({"f10=" + CaseSeq(), "f11=" + chosen->Seq}, {std::move(text), std::move(item)}, false,
           "Failed to add CaseDoctorsLink record");
}

void TCasePhysicianListForm::SaveButtonClick() {
    int row = SelectedRow();
    if (row < 0) return;
    const bool moves = Rows().At(row)->GetValue("f12") != Mark(ui->PrimaryDoctorCheckBox->isChecked());
    const std::string failText = "Failed to update a CaseDoctorsLink record";
    if (!UpdateRow(row, PanelValues(), failText)) return;
    if (moves) row = PrimaryChanged(row, "f12", failText);
    ui->SelectedEditPanel->hide();
    ui->DoctorListBox->setFocus();
}

void TCasePhysicianListForm::RemoveButtonClick() {
    const int row = SelectedRow();
    if (row < 0 || !RemoveRow(row, "Failed to delete a CaseDoctorsLink record")) return;
    ui->SelectedEditPanel->hide();
}

TCaseFamilyListForm::TCaseFamilyListForm(MainWindowState& main, QWidget* parent)
    : cSubListEditor(main, CaseSubList::kFamily, parent), ui(std::make_unique<Ui::TCaseFamilyListForm>()) {
    ui->setupUi(this);
    SetUpList(ui->FamilyListBox, ui->HeaderControl,
              {{"Name", 150}, {"Relation", 80}, {"Phone", 120}, {"Phone 2", 120}, {"Email", 220}},
              [this](int row) {
                  const ListBoxItemClass& i = *Rows().At(row);
                  return std::vector<std::string>{i.GetValue("f11") + " " + i.GetValue("f13"), i.GetValue("f22"),
                                                  PhoneDisplayText(i.GetValue("f19")), PhoneDisplayText(i.GetValue("f20")),
                                                  i.GetValue("f21")};
              },
              kRowHeight);
    phone_ = new cPhoneEdit(ui->PhoneEdit);
    phone2_ = new cPhoneEdit(ui->Phone2Edit);
    BindButton(ui->AddFamilyButton, [this] { AddFamilyButtonClick(); });
    BindButton(ui->SaveButton, [this] { SaveButtonClick(); });
    BindButton(ui->DeleteButton, [this] { DeleteButtonClick(); });
    BindButton(ui->BackButton, [this] { reject(); });
}

TCaseFamilyListForm::~TCaseFamilyListForm() = default;

void TCaseFamilyListForm::Prepare() { ui->EditPanel->hide(); }

void TCaseFamilyListForm::DefaultAction() {
    if (SavesOnEnter(ui->EditPanel, ui->FamilyListBox)) SaveButtonClick();
}

void TCaseFamilyListForm::AddFamilyButtonClick() {
    FillPanel({});
    emptyPanel_ = PanelValues();
    List()->clearSelection();
    ui->DeleteButton->hide();
}

void TCaseFamilyListForm::ShowRow(const ListBoxItemClass& item) {
    FillPanel(item);
    ui->DeleteButton->show();
}

void TCaseFamilyListForm::FillPanel(const ListBoxItemClass& item) {
    const auto v = [&item](const char* name) { return QString::fromStdString(item.GetValue(name)); };
    ui->FirstNameEdit->setText(v("f11"));
    ui->LastNameEdit->setText(v("f13"));
    ui->RelationEdit->setText(v("f22"));
    phone_->SetNumber(item.GetValue("f19"));
    phone2_->SetNumber(item.GetValue("f20"));
    ui->EmailEdit->setText(v("f21"));
    ui->PrimaryContactCheckBox->setChecked(item.GetValue("f23") == kPrimary);
    ui->EditPanel->show();
    ui->FirstNameEdit->setFocus();
}

std::vector<cCaseDialog::EditedRecord> TCaseFamilyListForm::EditedRecords() const {
    if (!ui->EditPanel->isVisible() || !ui->DeleteButton->isHidden()) return cSubListEditor::EditedRecords();
    // No record exists yet: the case and "new contact" name the kept text.
    return {{Table(), NewContactSeq(), emptyPanel_, PanelValues()}};
}

void TCaseFamilyListForm::OfferKeptNewRow() {
    // The panel may still hold the row shown last; only the field names count.
    StringList empty;
    for (const std::string& item : PanelValues()) empty.push_back(item.substr(0, item.find('=') + 1));
    std::vector<StringList> records{FieldsByNumber(empty)};
    if (!OfferKept({{Table(), NewContactSeq(), empty, {}}}, records)) return;
    AddFamilyButtonClick();
    ListBoxItemClass kept;
    for (const std::string& item : empty) {
        const int field = FieldOf(item);
        kept.SetValue("f" + std::to_string(field), records[0][static_cast<std::size_t>(field)]);
    }
    // Shown as typed, not yet added: Save adds it, a later logoff keeps it again.
    FillPanel(kept);
}

StringList TCaseFamilyListForm::PanelValues() const {
    return {"f11=" + Text(ui->FirstNameEdit), "f13=" + Text(ui->LastNameEdit), "f19=" + phone_->Digits(),
            "f20=" + phone2_->Digits(),       "f21=" + Text(ui->EmailEdit),    "f22=" + Text(ui->RelationEdit),
            "f23=" + Mark(ui->PrimaryContactCheckBox->isChecked())};
}

const QWidget* TCaseFamilyListForm::EditPanel() const { return ui->EditPanel; }

void TCaseFamilyListForm::SaveButtonClick() {
    const bool primary = ui->PrimaryContactCheckBox->isChecked();
    const StringList values = PanelValues();
    const std::string updateFail = "Failed to update a CaseFamily record";
    if (ui->DeleteButton->isHidden()) {
        ListBoxItemClass item;
        for (const std::string& value : values) {
            const std::size_t equals = value.find('=');
            item.SetValue(value.substr(0, equals), value.substr(equals + 1));
        }
        std::string text = SubListText(CaseSubList::kFamily, item);
        StringList added = values;
        added.push_back("f9=" + CaseSeq());
        if (!AddRow(added, {std::move(text), std::move(item)}, primary, "Failed to add CaseFamily record")) return;
        if (primary) PrimaryChanged(0, "f23", updateFail);
    } else {
        const int row = SelectedRow();
        if (row < 0) return;
        const bool moves = Rows().At(row)->GetValue("f23") != Mark(primary);
        if (!UpdateRow(row, values, updateFail)) return;
        if (moves) PrimaryChanged(row, "f23", updateFail);
    }
    ui->EditPanel->hide();
    ui->FamilyListBox->setFocus();
}

void TCaseFamilyListForm::DeleteButtonClick() {
    const int row = SelectedRow();
    if (row < 0 || !RemoveRow(row, "Failed to delete a CaseFamily record")) return;
    ui->EditPanel->hide();
}

TCaseCodesListForm::TCaseCodesListForm(MainWindowState& main, TCodeLookupForm& lookup, QWidget* parent)
    : cSubListEditor(main, CaseSubList::kDiagnosisCodes, parent), ui(std::make_unique<Ui::TCaseCodesListForm>()),
      main_(main), lookup_(lookup) {
    ui->setupUi(this);
    SetUpList(ui->CodeListBox, ui->CodeHeaderControl, {{"Code", 120}, {"Description", 530}},
              [this](int row) {
                  const ListBoxItemClass& i = *Rows().At(row);
                  return std::vector<std::string>{IcdCodeText(i.GetValue("f11"), settings_.Book),
                                                  i.GetValue("f1001")};
              },
              kRowHeight);
    BindButton(ui->AddButton, [this] { AddButtonClick(); });
    BindButton(ui->SaveButton, [this] { SaveButtonClick(); });
    BindButton(ui->RemoveButton, [this] { RemoveButtonClick(); });
    BindButton(ui->BackButton, [this] { reject(); });
    SetList(CaseSubList::kDiagnosisCodes);
}

TCaseCodesListForm::~TCaseCodesListForm() = default;

void TCaseCodesListForm::SetList(CaseSubList which) {
    SetWhich(which);
    if (which == CaseSubList::kTreatmentCodes)
        settings_ = {"Lookup a Treatment Code", "Manage Treatment Codes for This Case", cat::tbl::kICD9Treatment,
                     "geticd9treatmentsforkeywords", IcdBook::Procedures};
    else
        settings_ = {"Lookup a Diagnosis Code", "Manage Diagnostic Codes for This Case", cat::tbl::kICD9Symptom,
                     "geticd9symptomsforkeywords", IcdBook::Diagnoses};
    ui->MainHeaderLabel->setText(QString::fromStdString(settings_.Heading));
    setWindowTitle(QString::fromStdString(settings_.Heading));
}

void TCaseCodesListForm::Prepare() { ui->SelectedEditPanel->hide(); }

void TCaseCodesListForm::DefaultAction() {
    if (SavesOnEnter(ui->SelectedEditPanel, ui->CodeListBox) && !ui->DescMemo->hasFocus()) SaveButtonClick();
}

void TCaseCodesListForm::ShowRow(const ListBoxItemClass& item) {
    ui->CodeLabel->setText(QString::fromStdString("Code: " + IcdCodeText(item.GetValue("f11"), settings_.Book)));
    ui->DescMemo->setPlainText(QString::fromStdString(item.GetValue("f1001")));
    ui->SelectedEditPanel->show();
    ui->DescMemo->setFocus();
}

StringList TCaseCodesListForm::PanelValues() const { return {"f1001=" + ui->DescMemo->toPlainText().toStdString()}; }

const QWidget* TCaseCodesListForm::EditPanel() const { return ui->SelectedEditPanel; }

void TCaseCodesListForm::AddButtonClick() {
    lookup_.Parameters = {&Db(), main_.Session.FunctionServer.get(), settings_.CodeTable, "L2", settings_.Command,
                          settings_.Book};
    lookup_.setWindowTitle(QString::fromStdString(settings_.LookupCaption));
    lookup_.Reset();
    ExecDialog(lookup_);
    if (!lookup_.Selected) return;
    ListBoxItemClass item;
    item.SetValue("f11", lookup_.Code);
    item.SetValue("f1001", lookup_.Description);
    AddRow({"f10=" + CaseSeq(), "f11=" + lookup_.Code, "f1001=" + lookup_.Description},
           {lookup_.Code, std::move(item)}, false, "Failed to add a " + Table() + " record");
}

void TCaseCodesListForm::SaveButtonClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    if (!UpdateRow(row, PanelValues(), "Failed to update a " + Table() + " record"))
        return;
    ui->SelectedEditPanel->hide();
    ui->CodeListBox->setFocus();
}

void TCaseCodesListForm::RemoveButtonClick() {
    const int row = SelectedRow();
    if (row < 0 || !RemoveRow(row, "Failed to delete a " + Table() + " record")) return;
    ui->SelectedEditPanel->hide();
}

}  // namespace dalvero
