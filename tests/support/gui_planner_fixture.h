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
    void SetUp() override {
        Start();
        const auto& user = DemoUser("Discharge Planner");
        LogIn(user.email, user.password);
        main->FormActivate();
        ASSERT_TRUE(dialogs.shown.empty());
    }

    cCaseScreens& S() const { return main->Screens(); }
    cCaseListModel& OpenRows() const { return S().CaseList->Rows(); }
    bool Shown(const char* name) const {
        auto* w = main->findChild<QWidget*>(name);
        return w && w->isVisibleTo(main.get());
    }
    // All of a label's text, also when it shows only what fits.
    std::string Label(const char* name) const { return WholeText(*main->findChild<QLabel*>(name)).toStdString(); }
};

}  // namespace dalvero::test
