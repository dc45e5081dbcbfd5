#pragma once
// The case strip shown over the open case's screens: tabs for the case
// information, the patient details, the case history and the discharge
// plan, and a button back to the case list.

#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class TCaseNavigationForm;
}

namespace dalvero {

struct MainWindowState;
struct OpenCase;
class cCaseScreens;
class cWorkspaceActions;

class TCaseNavigationForm : public QWidget {
    Q_OBJECT
public:
    TCaseNavigationForm(MainWindowState& main, cCaseScreens& screens);
    ~TCaseNavigationForm() override;

    QWidget* Panel() const;
    QLabel* CaseInfoImageButton() const;
    QLabel* CaseDetailsImageButton() const;
    QLabel* CaseHistoryImageButton() const;
    QLabel* ManageDischargeButtonImage() const;
    QLabel* CaseListImageButton() const;

    void CaseListImageButtonClick();
    void CaseInfoImageButtonClick();
    void CaseDetailsImageButtonClick();
    void CaseHistoryImageButtonClick();
    void ManageDischargeButtonImageClick();

private:
    std::unique_ptr<Ui::TCaseNavigationForm> ui;
    OpenCase& open_;
    cWorkspaceActions& actions_;
    cCaseScreens& screens_;
};

}  // namespace dalvero
