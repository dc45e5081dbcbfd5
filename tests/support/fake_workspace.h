#pragma once
// The shared state of the screens without a main window: each part as the
// main window holds it, and operations that only record their calls, so one
// screen can be built and worked alone.
//
//   ClientSession session;            // logged in against a RealServer
//   FakeWorkspace workspace(session);
//   workspace.Case.CurrentCaseSeq = "12";
//   TPatientAdmissionForm form(workspace, nullptr);

#include <string>
#include <vector>

#include "main_window_state.h"

namespace dalvero::test {

class FakeWorkspace : public cWorkspaceActions, public MainWindowState {
public:
    explicit FakeWorkspace(ClientSession& session) : MainWindowState(session, *this) {}

    // Each operation called, by name, with its text argument after a blank.
    std::vector<std::string> Calls;
    std::string Title;

    void ShowPanel(const std::string& name) override { Calls.push_back("ShowPanel " + name); }
    void LoadOpenCaseList() override { Calls.push_back("LoadOpenCaseList"); }
    void LoadPreviousCaseList(bool) override { Calls.push_back("LoadPreviousCaseList"); }
    void LoadCaseWorkers() override { Calls.push_back("LoadCaseWorkers"); }
    bool LoadCaseSubLists(const std::string& caseSeq, bool) override {
        Calls.push_back("LoadCaseSubLists " + caseSeq);
        return true;
    }
    void ClearCaseSubLists() override { Calls.push_back("ClearCaseSubLists"); }
    bool LoadCaseHistory() override {
        Calls.push_back("LoadCaseHistory");
        return true;
    }
    std::string GetPrimaryPhysician(const std::string& caseSeq) override {
        Calls.push_back("GetPrimaryPhysician " + caseSeq);
        return {};
    }
    void SaveFieldOnExit(const std::string& table, const std::string&, QWidget*) override {
        Calls.push_back("SaveFieldOnExit " + table);
    }
    void ShowCaseInformation(const std::string& caseNumber, const std::string&) override {
        Calls.push_back("ShowCaseInformation " + caseNumber);
    }
    void HideCaseInformation() override { Calls.push_back("HideCaseInformation"); }
    void SavePendingCaseFields() override { Calls.push_back("SavePendingCaseFields"); }
    void SetApplicationTitle(const std::string& title) override { Title = title; }
};

}  // namespace dalvero::test
