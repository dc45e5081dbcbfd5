#pragma once
// The state that the working screens share and the main window's operations
// that they call. The main window implements this; the screens hold a
// reference to it, so they depend on this interface, not on the window.

#include <QGuiApplication>
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client_session.h"
#include "field_saves.h"
#include "record_batch.h"
#include "string_list.h"
#include "table_catalogue.h"

class QWidget;

namespace dalvero {

class cCaseObject;

class MainWindowState {
public:
    explicit MainWindowState(ClientSession& session) : Session(session) {}
    virtual ~MainWindowState() = default;
    MainWindowState(const MainWindowState&) = delete;
    MainWindowState& operator=(const MainWindowState&) = delete;

    // Shows the hosted panel registered under name, with its navigation strip
    // and selected tab; an unknown name leaves every panel hidden.
    virtual void ShowPanel(const std::string& name) = 0;
    virtual void LoadOpenCaseList() = 0;
    // keepPage: show the page PreviousListBatch holds instead of querying.
    virtual void LoadPreviousCaseList(bool keepPage) = 0;
    virtual void LoadCaseWorkers() = 0;
    // Loaders of several rows: false when the server did not answer, and the
    // rows are then empty (never those of an earlier case).
    virtual bool LoadCaseSubLists(const std::string& caseSeq, bool withoutSeq) = 0;
    virtual void ClearCaseSubLists() = 0;
    virtual bool LoadCaseHistory() = 0;
    virtual std::string GetPrimaryPhysician(const std::string& caseSeq) = 0;
    // Writes the one field of a control whose changed flag is set.
    virtual void SaveFieldOnExit(const std::string& table, const std::string& seq, QWidget* control) = 0;
    // The open case's number and patient under the panels.
    virtual void ShowCaseInformation(const std::string& caseNumber, const std::string& patientName) = 0;
    virtual void HideCaseInformation() = 0;

    // Before the open case goes out of view: writes each case edit field
    // changed since it was last saved; what the server does not take the
    // user retries or discards (FieldSaves).
    virtual void SavePendingCaseFields() = 0;

    // The title the desktop shows for the application.
    static void SetApplicationTitle(const std::string& title) {
        QGuiApplication::setApplicationDisplayName(QString::fromStdString(title));
    }

    ClientSession& Session;

    std::string HospitalSeq;
    std::string UserSeq;
    StringList HospitalRecord;  // item n is ProviderEntities field n
    std::string HospitalField26;
    bool IsAdministrator = false;
    bool IsDischargePlanner = false;
    bool ShowAllOpenCases = false;
    bool ShowAllPreviousCases = false;
    int OpenListSortColumn = -1;
    int PreviousListSortColumn = -1;
    cRecordBatch PreviousListBatch;
    // 0 no case open, 1 a case open for editing.
    int EditMode = 0;
    std::string CurrentCaseSeq;
    std::string CurrentPatientSeq;
    std::string CurrentCaseNumber;
    // The open-list row of the case opened from it; owned by that list.
    const cCaseObject* CurrentCaseObject = nullptr;
    std::string PreviousCaseSeq;
    std::string PreviousPatientSeq;
    // The open patient's Patients record, item n being field n.
    StringList PatientRecord;
    // The open case's fields as the case screen read them, name=value ("f22",
    // the patient's through the alias P: "P10").
    StringList CaseFieldValues;
    // Field number -> bound control of the case edit screen, in binding order.
    std::vector<std::pair<std::string, QWidget*>> CaseEditControls;
    // The hospital's case workers ("first last", Personnel Seq) for the
    // new-case screen's drop-down.
    std::vector<std::pair<std::string, int>> CaseWorkers;
    int IdleTicks = 0;
    // Screens with entries of their own to write before the case is left.
    std::vector<std::function<void()>> PendingSaves;
    // Field writes the server has not taken yet.
    cFieldSaves FieldSaves;

    // Discharge planning: the need open in the need dialog, its Seq and its
    // record as name=value items; the dialog's mode; the need's awarded
    // quote (its f16, empty for none); the needs and quote lists' sort columns.
    std::string CurrentNeedSeq;
    StringList CurrentNeedRecord;
    static constexpr int kEditingNeed = 1;
    static constexpr int kAddingNeed = 2;
    int NeedDialogMode = 0;
    std::string AwardedQuote;
    int NeedListSortColumn = 0;
    int QuoteListSortColumn = -1;
};

}  // namespace dalvero
