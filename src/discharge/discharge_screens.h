#pragma once
// The single instance of each discharge planning window. They reach one
// another through it and share state through the main window.

#include <memory>

class QWidget;

namespace dalvero {

struct MainWindowState;
class TCaseNeedSelectionForm;
class TCategorySelectionForm;
class TChangeStatusForm;
class TDischargeItemDetailForm;
class TDischargeViewForm;
class TMatchingProvidersForm;
class TProviderInfoForm;

class cDischargeScreens {
public:
    // dialogParent: the window the dialogs show over.
    cDischargeScreens(MainWindowState& main, QWidget* dialogParent);
    ~cDischargeScreens();
    cDischargeScreens(const cDischargeScreens&) = delete;
    cDischargeScreens& operator=(const cDischargeScreens&) = delete;

    std::unique_ptr<TDischargeViewForm> DischargeView;
    // Dialogs belong to their parent window, which frees them.
    TDischargeItemDetailForm* ItemDetail;
    TChangeStatusForm* ChangeStatus;
    TMatchingProvidersForm* MatchingProviders;
    TProviderInfoForm* ProviderInfo;
    TCaseNeedSelectionForm* CaseNeedSelection;
    TCategorySelectionForm* CategorySelection;
};

}  // namespace dalvero
