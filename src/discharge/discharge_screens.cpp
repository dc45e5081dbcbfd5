#include "discharge_screens.h"

#include "case_need_selection_form.h"
#include "category_selection_form.h"
#include "change_status_form.h"
#include "discharge_item_detail_form.h"
#include "discharge_view_form.h"
#include "main_window_state.h"
#include "matching_providers_form.h"
#include "provider_info_form.h"

namespace dalvero {

cDischargeScreens::cDischargeScreens(MainWindowState& main, QWidget* dialogParent)
    : DischargeView(std::make_unique<TDischargeViewForm>(main, *this)),
      ItemDetail(new TDischargeItemDetailForm(main, *this, dialogParent)),
      ChangeStatus(new TChangeStatusForm(main, dialogParent)),
      MatchingProviders(new TMatchingProvidersForm(main, *this, dialogParent)),
      ProviderInfo(new TProviderInfoForm(main, dialogParent)),
      CaseNeedSelection(new TCaseNeedSelectionForm(dialogParent)),
      CategorySelection(new TCategorySelectionForm(dialogParent)) {}

cDischargeScreens::~cDischargeScreens() = default;

}  // namespace dalvero
