#pragma once
// The main window: the hospital and user heading, the hosted working screens
// shown one at a time under a navigation strip, the state those screens
// share, the loaders they call, the saving of an edited case field when it
// is left, and the idle timeout.

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "case_list_model.h"
#include "main_window_state.h"
#include "panel_container.h"

class QLabel;
class QTimer;

namespace Ui {
class TForm1;
}

namespace dalvero {

class cCaseScreens;
class cDischargeScreens;
class TAdminMainForm;

class TForm1 : public QWidget, public cWorkspaceActions, public MainWindowState {
    Q_OBJECT
public:
    explicit TForm1(ClientSession& session);
    ~TForm1() override;

    void ShowPanel(const std::string& name) override;
    void LoadOpenCaseList() override;
    void LoadPreviousCaseList(bool keepPage) override;
    void LoadCaseWorkers() override;
    bool LoadCaseSubLists(const std::string& caseSeq, bool withoutSeq) override;
    void ClearCaseSubLists() override;
    bool LoadCaseHistory() override;
    std::string GetPrimaryPhysician(const std::string& caseSeq) override;
    void SaveFieldOnExit(const std::string& table, const std::string& seq, QWidget* control) override;
    void SavePendingCaseFields() override;
    void ShowCaseInformation(const std::string& caseNumber, const std::string& patientName) override;
    void HideCaseInformation() override;
    void SetApplicationTitle(const std::string& title) override;

    // The one-time start-up of the first activation: panels, the user's
    // hospital and logo, the case workers and the open case list.
    void FormActivate();
    // One tick of the idle timeout; more than 300 without input end the
    // program through TerminateAction, unattended: the timer stops, open
    // dialogs close without asking and unsaved typing goes to recovery files.
    void TimeoutTimerTimer();
    // Saves the case field of control when it is left.
    void CaseFieldExit(QWidget* control);
    // After a log-in that followed an ended session: the field saves the
    // server refused meanwhile go now.
    void SessionResumed();

    cCaseScreens& Screens() const { return *screens_; }
    cDischargeScreens& Discharge() const { return *discharge_; }
    TAdminMainForm& Admin() const { return *admin_; }
    // The open patient's cases, kept for the case history screen.
    cCaseListModel& CaseHistoryList() const;
    QLabel* PersonnelStatusLabel() const;
    // The hosted panel registered under name; none when there is no such entry.
    QWidget* HostedPanel(const std::string& name) const;

    QTimer* TimeoutTimer;
    // Timer ticks since the last user input.
    int IdleTicks = 0;
    std::function<void()> TerminateAction;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Sees every event of the application first: input ends the idle count
    // and mouse moves elsewhere end the open list's hover.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanelMap();
    void BindCaseEditControls();
    void WireDischargeTabs();
    void WireAdmin();
    void ShowHospitalLogo();
    // Writes each changed case field without a message of its own.
    void SaveChangedCaseFields();
    const PanelContainerClass* FindPanel(const std::string& name) const;
    // After a panel is shown: the focus goes to it when it was left behind
    // on a hidden one.
    void KeepFocusOnView(const PanelContainerClass& entry);

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<cCaseScreens> screens_;
    std::unique_ptr<cDischargeScreens> discharge_;
    std::unique_ptr<TAdminMainForm> admin_;
    std::vector<std::pair<std::string, PanelContainerClass>> PanelMap;
    bool activated_ = false;
};

}  // namespace dalvero
