#pragma once
// The single instance of each case screen. The screens reach one another
// through it and share state through the main window.

#include <memory>

namespace dalvero {

class MainWindowState;
class TCaseEditForm;
class TCaseListForm;
class TCaseListNavigationForm;
class TCaseListPrevForm;
class TCaseNavigationForm;

class cCaseScreens {
public:
    explicit cCaseScreens(MainWindowState& main);
    ~cCaseScreens();
    cCaseScreens(const cCaseScreens&) = delete;
    cCaseScreens& operator=(const cCaseScreens&) = delete;

    std::unique_ptr<TCaseEditForm> CaseEdit;
    std::unique_ptr<TCaseNavigationForm> CaseNavigation;
    std::unique_ptr<TCaseListForm> CaseList;
    std::unique_ptr<TCaseListPrevForm> CaseListPrev;
    std::unique_ptr<TCaseListNavigationForm> ListNavigation;
};

}  // namespace dalvero
