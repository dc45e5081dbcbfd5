#pragma once
// The administrators' screen: the hospital's own provider record, its
// personnel, the case workers' load, the preferred providers and the report
// buttons, one tab each. Everything it shows belongs to the user's hospital.
// The reports it makes are the same bytes dalvero-cli makes, written where
// the user chooses and readable by the user only.

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "add_provider_form.h"
#include "admin_queries.h"

namespace Ui {
class TAdminMainForm;
}

namespace dalvero {

class cDateEdit;
class cEditObject;
class cEditObjects;
class cListState;
struct ClientSession;
struct DayRange;
struct MainWindowState;
struct ReportRecordDataClass;
struct SignedInUser;

inline constexpr char kDuplicatePersonnel[] = "This email address is used by another personnel.";
inline constexpr char kMissingCaseNumber[] = "Please enter the Case Number";

class TAdminMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TAdminMainForm(MainWindowState& main);
    ~TAdminMainForm() override;

    QWidget* Panel() const;

    // Asks where a report goes: the file dialog starts in the user's
    // documents folder with the report's own name. Empty when cancelled.
    // Tests put their own answer here.
    std::function<std::string(const std::string& defaultName)> ChooseReportFile;
    // Opens a written spreadsheet with the desktop's program for its type.
    std::function<void(const std::string& path)> OpenDocument;
    // The provider screen's "What We Do"; set by the window that hosts this.
    ProviderCategoriesOpener OpenProviderCategories;

    void AdminPageControlChange();
    void LoadHospital();
    void LoadPersonnel();
    void PersonnelListBoxClick(int row);
    void PersonnelAddImageClick();
    void LoadCaseWorkers();
    void LoadPreferredProviders();
    void PreferredProvidersListBoxClick(int row);
    void AddPreferredProviderButtonClick();
    void RemovePreferredProviderButtonClick();
    void MIRCalFileButtonClick();
    void SpreadsheetButtonClick();
    void LateDischargeReportButtonClick();
    void LateDischargeSpreadsheetButtonClick();
    void NFPrintReportButtonClick();

    const std::vector<PersonRow>& PersonnelRows() const { return personnel_; }

private:
    void SetUpReports();
    void BindOnce();
    void BindHospital();
    void BindPersonnel();
    void HospitalZipExit(cEditObject& zip);
    void PersonnelSaveButtonDone();
    void PersonnelEmailExit(cEditObject& email);
    void PersonnelPasswordExit();
    void ClearPreferredDetail();
    // The report date range; none, after saying so, when it is not a range.
    std::optional<DayRange> ReportDays();
    // The state file's records with the progress bar up and Cancel live;
    // none when stopped or failed (failures said).
    std::optional<std::vector<ReportRecordDataClass>> StateRecords(const DayRange& days);
    std::optional<std::vector<std::string>> LateDischargeReportLines();
    // Writes the lines where the user chooses; the path, empty when not
    // written (a failed write is said).
    std::string SaveReport(const char* defaultName, const std::vector<std::string>& lines);
    void ShowReport(const std::vector<std::string>& lines);

    std::unique_ptr<Ui::TAdminMainForm> ui;
    ClientSession& session_;
    SignedInUser& user_;
    std::unique_ptr<cEditObjects> hospital_;
    std::unique_ptr<cEditObjects> person_;
    cEditObject* zip_ = nullptr;
    bool zipPending_ = false;
    cEditObject* email_ = nullptr;
    std::string acceptedEmail_;
    std::vector<PersonRow> personnel_;
    std::vector<PreferredRow> preferred_;
    cListState* personnelState_;
    cListState* caseWorkersState_;
    cListState* preferredState_;
    cDateEdit* begDate_ = nullptr;
    cDateEdit* endDate_ = nullptr;
    // Set by Cancel while the state file's cases are read.
    bool cancelled_ = false;
};

}  // namespace dalvero
