#pragma once
// A discharge planner logged in on the demo server with the main window
// started, for the tests of the case screens.

#include <QLabel>

#include <string>

#include "case_list_form.h"
#include "case_list_model.h"
#include "case_screens.h"
#include "elided_text.h"
#include "gui_client_fixture.h"

namespace dalvero::test {

class PlannerOnDemoServer : public ClientOnDemoServer {
protected:
    void SetUp() override { StartAs("Discharge Planner"); }

    cCaseScreens& S() const { return main->Screens(); }
    cCaseListModel& OpenRows() const { return S().CaseList->Rows(); }
    // Opens the case on that row of the open list; gives its Seq.
    std::string OpenCase(int row) {
        const std::string seq = OpenRows().At(row)->Seq;
        S().CaseList->OpenCasesListBoxClick(OpenRows().index(row));
        return seq;
    }
    // The row of a case in a case list; -1 when it is not listed.
    static int RowOfCase(const cCaseListModel& rows, const std::string& seq) {
        return rows.RowWhere([&seq](const cCaseObject& c) { return c.Seq == seq; });
    }
    bool Shown(const char* name) const {
        auto* w = main->findChild<QWidget*>(name);
        return w && w->isVisibleTo(main.get());
    }
    // All of a label's text, also when it shows only what fits.
    std::string Label(const char* name) const { return WholeText(*main->findChild<QLabel*>(name)).toStdString(); }
};

}  // namespace dalvero::test
