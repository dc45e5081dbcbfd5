#include "case_screens.h"

#include "case_edit_form.h"
#include "case_list_form.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"

namespace dalvero {

// In the order the main window initialises its hosted screens.
cCaseScreens::cCaseScreens(MainWindowState& main)
    : CaseEdit(std::make_unique<TCaseEditForm>(main)),
      CaseNavigation(std::make_unique<TCaseNavigationForm>(main, *this)),
      CaseList(std::make_unique<TCaseListForm>(main, *this)),
      CaseListPrev(std::make_unique<TCaseListPrevForm>(main)),
      ListNavigation(std::make_unique<TCaseListNavigationForm>(main)) {}

cCaseScreens::~cCaseScreens() = default;

}  // namespace dalvero
