#include "case_list_navigation_form.h"

#include "image_button.h"
#include "main_window_state.h"
#include "ui_case_list_navigation_form.h"

namespace dalvero {

TCaseListNavigationForm::TCaseListNavigationForm(MainWindowState& main)
    : ui(std::make_unique<Ui::TCaseListNavigationForm>()), actions_(main.Actions) {
    ui->setupUi(this);
    auto* group = new cImageButtonGroup(this);
    auto* list = cImageButton::Painted(ui->CaseListTabImage, ImageButtonArt::Shape::Tab);
    auto* previous = cImageButton::Painted(ui->PreviousCasesTabImage, ImageButtonArt::Shape::Tab);
    auto* admin = cImageButton::Painted(ui->ShowAdminImage, ImageButtonArt::Shape::Tab);
    for (cImageButton* tab : {list, previous, admin}) group->Add(tab);
    group->Select(list);
    connect(list, &cImageButton::clicked, this, &TCaseListNavigationForm::CaseListTabImageClick);
    connect(previous, &cImageButton::clicked, this, &TCaseListNavigationForm::PreviousCasesTabImageClick);
    connect(admin, &cImageButton::clicked, this, &TCaseListNavigationForm::ShowAdminImageClick);
}

TCaseListNavigationForm::~TCaseListNavigationForm() = default;

QWidget* TCaseListNavigationForm::Panel() const { return ui->CaseListNavigationPanel; }
QLabel* TCaseListNavigationForm::CaseListTabImage() const { return ui->CaseListTabImage; }
QLabel* TCaseListNavigationForm::PreviousCasesTabImage() const { return ui->PreviousCasesTabImage; }
QLabel* TCaseListNavigationForm::ShowAdminImage() const { return ui->ShowAdminImage; }

void TCaseListNavigationForm::CaseListTabImageClick() {
    actions_.LoadOpenCaseList();
    actions_.ShowPanel("OpenCaseList");
}

void TCaseListNavigationForm::PreviousCasesTabImageClick() {
    actions_.LoadPreviousCaseList(false);
    actions_.ShowPanel("ClosedCaseList");
}

void TCaseListNavigationForm::ShowAdminImageClick() {
    actions_.SetApplicationTitle("Administration");
    actions_.ShowPanel("Admin");
}

}  // namespace dalvero
