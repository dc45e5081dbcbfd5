#pragma once
// The main window's operations that the screens call: which panel is on
// view, the loaders several screens share, the saving of case fields and the
// window's title. The main window implements them; tests put a recording
// fake in its place to run one screen alone.

#include <string>

class QWidget;

namespace dalvero {

class cWorkspaceActions {
public:
    cWorkspaceActions() = default;
    virtual ~cWorkspaceActions() = default;
    cWorkspaceActions(const cWorkspaceActions&) = delete;
    cWorkspaceActions& operator=(const cWorkspaceActions&) = delete;

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
    // Names what the main window shows in its own title; dialogs keep theirs.
    virtual void SetApplicationTitle(const std::string& title) = 0;
};

}  // namespace dalvero
