#include "case_navigation_form.h"

#include "case_edit_form.h"
#include "case_screens.h"
#include "image_button.h"
#include "main_window_state.h"
#include "ui_case_navigation_form.h"

namespace dalvero {

TCaseNavigationForm::TCaseNavigationForm(MainWindowState& main, cCaseScreens& screens)
    : ui(std::make_unique<Ui::TCaseNavigationForm>()), open_(main.Case), actions_(main.Actions), screens_(screens) {
    ui->setupUi(this);
    auto* group = new cImageButtonGroup(this);
    auto* info = cImageButton::Painted(ui->CaseInfoImageButton, ImageButtonArt::Shape::Tab);
    auto* details = cImageButton::Painted(ui->CaseDetailsImageButton, ImageButtonArt::Shape::Tab);
    auto* history = cImageButton::Painted(ui->CaseHistoryImageButton, ImageButtonArt::Shape::Tab);
    auto* discharge = cImageButton::Painted(ui->ManageDischargeButtonImage, ImageButtonArt::Shape::Tab);
    for (cImageButton* tab : {info, details, history, discharge}) group->Add(tab);
    group->Select(info);
    connect(info, &cImageButton::clicked, this, &TCaseNavigationForm::CaseInfoImageButtonClick);
    connect(details, &cImageButton::clicked, this, &TCaseNavigationForm::CaseDetailsImageButtonClick);
    connect(history, &cImageButton::clicked, this, &TCaseNavigationForm::CaseHistoryImageButtonClick);
    connect(discharge, &cImageButton::clicked, this, &TCaseNavigationForm::ManageDischargeButtonImageClick);

    // Back to the list: a button with a hover picture only.
    QLabel* back = ui->CaseListImageButton;
    const QSize size = back->size();
    const qreal ratio = back->devicePixelRatioF();
    // The caption is read once: showing the first picture clears the label's text.
    const QString caption = back->text();
    const auto paint = [&](int state) {
        return ImageButtonArt::Paint(ImageButtonArt::Shape::Button, caption, back->font(), size, state, ratio);
    };
    back->setPixmap(paint(cImageButton::Normal));
    connect(new cImageButton(back, {}, paint(cImageButton::Hover)), &cImageButton::clicked, this,
            &TCaseNavigationForm::CaseListImageButtonClick);
}

TCaseNavigationForm::~TCaseNavigationForm() = default;

QWidget* TCaseNavigationForm::Panel() const { return ui->CaseInformationTabPanel; }
QLabel* TCaseNavigationForm::CaseInfoImageButton() const { return ui->CaseInfoImageButton; }
QLabel* TCaseNavigationForm::CaseDetailsImageButton() const { return ui->CaseDetailsImageButton; }
QLabel* TCaseNavigationForm::CaseHistoryImageButton() const { return ui->CaseHistoryImageButton; }
QLabel* TCaseNavigationForm::ManageDischargeButtonImage() const { return ui->ManageDischargeButtonImage; }
QLabel* TCaseNavigationForm::CaseListImageButton() const { return ui->CaseListImageButton; }

void TCaseNavigationForm::CaseListImageButtonClick() {
    actions_.SavePendingCaseFields();
    actions_.LoadOpenCaseList();
    open_.EditMode = 0;
    screens_.CaseEdit->ShowEditControls();
    actions_.HideCaseInformation();
    actions_.ShowPanel("OpenCaseList");
}

void TCaseNavigationForm::CaseInfoImageButtonClick() { actions_.ShowPanel("CaseEdit"); }

void TCaseNavigationForm::CaseDetailsImageButtonClick() { actions_.ShowPanel("PatientHealthDetail"); }

void TCaseNavigationForm::CaseHistoryImageButtonClick() { actions_.ShowPanel("CaseHistory"); }

void TCaseNavigationForm::ManageDischargeButtonImageClick() { actions_.ShowPanel("DischargeView"); }

}  // namespace dalvero
