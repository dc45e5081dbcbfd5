#include "field_conflict_form.h"

#include "control_text.h"
#include "dialog_seam.h"
#include "ui_field_conflict_form.h"

namespace dalvero {

TFieldConflictForm::TFieldConflictForm(const std::string& mine, const std::string& theirs, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFieldConflictForm>()) {
    ui->setupUi(this);
    SetControlText(ui->MineEdit, mine);
    SetControlText(ui->TheirsEdit, theirs);
    // Merging starts from the user's own text.
    SetControlText(ui->MergedEdit, mine);
    connect(ui->KeepMineButton, &QPushButton::clicked, this, &TFieldConflictForm::KeepMineButtonClick);
    connect(ui->TakeTheirsButton, &QPushButton::clicked, this, &TFieldConflictForm::TakeTheirsButtonClick);
    connect(ui->SaveMergedButton, &QPushButton::clicked, this, &TFieldConflictForm::SaveMergedButtonClick);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TFieldConflictForm::~TFieldConflictForm() = default;

void TFieldConflictForm::Choose(const QWidget* text) {
    chosen_ = ControlText(text);
    accept();
}

void TFieldConflictForm::KeepMineButtonClick() { Choose(ui->MineEdit); }
void TFieldConflictForm::TakeTheirsButtonClick() { Choose(ui->TheirsEdit); }
void TFieldConflictForm::SaveMergedButtonClick() { Choose(ui->MergedEdit); }

std::optional<std::string> ResolveFieldConflict(QWidget* parent, const std::string& mine,
                                                const std::string& theirs) {
    TFieldConflictForm form(mine, theirs, parent);
    ExecDialog(form);
    return form.Chosen();
}

}  // namespace dalvero
