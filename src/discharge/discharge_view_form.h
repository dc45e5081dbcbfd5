#pragma once
// The discharge view of the open case: its needs with their status colours,
// adding and opening a need, matching providers to every need, and the
// primary physician's approval of the plan; and the case saved as a FHIR
// referral.

#include <QColor>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QListView;
class QModelIndex;

namespace Ui {
class TDischargeViewForm;
}

namespace dalvero {

class cListState;

struct ClientSession;
struct ListSettings;
struct MainWindowState;
struct NeedInEdit;
struct OpenCase;
struct SignedInUser;
class cDischargeScreens;
class cListHeader;
class cNeedListModel;
class cWorkspaceActions;
enum class NeedColour;

class TDischargeViewForm : public QWidget {
    Q_OBJECT
public:
    TDischargeViewForm(MainWindowState& main, cDischargeScreens& screens);
    ~TDischargeViewForm() override;

    QWidget* Panel() const;
    cNeedListModel& Rows() const { return *rows_; }
    QListView* CaseRequirementsListBox() const;
    cListHeader* CaseNeedsHeader() const { return header_; }

    // Refills the list with the open case's needs and their statuses, sorted
    // by the date required.
    void LoadCaseNeeds();
    // The status of the need with this Seq, wherever its row now stands.
    void SetNeedStatus(const std::string& needSeq, const std::string& status);
    // The legend's colour, which the rows are painted in too.
    QColor StatusColour(NeedColour colour) const;
    // Greys the main window while a need dialog is open over it.
    void SetDimmed(bool on);
    bool Dimmed() const { return dimmed_; }

    void CaseNeedsHeaderSectionClick(int section);
    void AddNewDischargeReqImageButtonClick();
    void CaseRequirementsListBoxClick(const QModelIndex& index);
    void FindMatchingProvidersImageButtonClick();
    void RequestPhysicianApprovalButtonClick();
    void GrantPhysicianApprovalButtonClick();
    // Writes the open case as a FHIR R4 Bundle into the file the user chooses.
    void SaveAsFhirButtonClick();

    // Asks where a file goes; empty when the user cancels. Tests answer it.
    std::function<std::string(const std::string& defaultName)> ChooseFile;

private:
    void ShowNeedDialog();
    void SetListShown(bool shown);
    bool WriteApproval(const std::string& requested, bool approved);

    std::unique_ptr<Ui::TDischargeViewForm> ui;
    ClientSession& session_;
    const SignedInUser& user_;
    OpenCase& open_;
    ListSettings& lists_;
    NeedInEdit& need_;
    cWorkspaceActions& actions_;
    cDischargeScreens& screens_;
    cNeedListModel* rows_;
    cListHeader* header_;
    cListState* needsState_;
    QWidget* dimming_ = nullptr;
    bool dimmed_ = false;
};

}  // namespace dalvero
