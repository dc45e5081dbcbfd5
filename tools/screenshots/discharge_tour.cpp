// The discharge planning pictures of the guide: a case's needs, the need
// dialog with its picker and quotes, a quote's status, the matching
// providers with a provider's card, and the category selection.
#include <QCheckBox>
#include <QLabel>

#include <stdexcept>

#include "case_list_form.h"
#include "case_list_model.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "category_selection_form.h"
#include "change_status_form.h"
#include "dialog_seam.h"
#include "discharge_item_detail_form.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "image_button.h"
#include "main_window.h"
#include "matching_list.h"
#include "matching_providers_form.h"
#include "need_list_model.h"
#include "provider_info_form.h"
#include "quote_list_model.h"
#include "record_batch.h"
#include "tour.h"

namespace {
using namespace dalvero;

TDischargeViewForm& View(tour::TourContext& ctx) { return *ctx.main.Discharge().DischargeView; }

// The first need of the open case that has quotes; -1 when none has.
int NeedWithQuotes(tour::TourContext& ctx) {
    cNeedListModel& needs = View(ctx).Rows();
    for (int row = 0; row < needs.rowCount(); ++row) {
        std::vector<DischargeItemListDataClass> quotes;
        if (QueryNeedQuotes(*ctx.session.DataServer, needs.Need(row)->Seq, true, quotes) && quotes.size() > 1)
            return row;
    }
    return -1;
}
}  // namespace

DALVERO_TOUR_STEP(200, "discharge view") {
    cCaseScreens& s = ctx.main.Screens();
    s.CaseList->OpenCasesListBoxClick(s.CaseList->Rows().index(0));
    emit cImageButton::Of(s.CaseNavigation->ManageDischargeButtonImage())->clicked();
    ctx.Shot(ctx.main, "discharge-view");
}

DALVERO_TOUR_STEP(210, "adding a need") {
    ctx.ShotModal([&] { View(ctx).AddNewDischargeReqImageButtonClick(); }, "need-dialog-adding");
}

DALVERO_TOUR_STEP(220, "need type picker") {
    ctx.ShotModal([&] { ctx.main.Discharge().ItemDetail->CaseNeedSelectionButtonClick(); }, "need-type-picker");
}

DALVERO_TOUR_STEP(230, "a need and its quotes") {
    const int row = NeedWithQuotes(ctx);
    if (row < 0) throw std::runtime_error("the first demo case has no need with quotes");
    TDischargeItemDetailForm& detail = *ctx.main.Discharge().ItemDetail;
    detail.findChild<QCheckBox*>("RejectionsCB")->setChecked(true);
    ctx.ShotModal([&] { View(ctx).CaseRequirementsListBoxClick(View(ctx).Rows().index(row)); }, "need-dialog");
}

DALVERO_TOUR_STEP(240, "a quote's status") {
    cDischargeScreens& d = ctx.main.Discharge();
    const DischargeItemListDataClass* quote = d.ItemDetail->Quotes().Quote(0);
    if (!quote) throw std::runtime_error("the need has no quote");
    TChangeStatusForm& change = *d.ChangeStatus;
    change.ProviderName = quote->Values.Value("pe10");
    change.QuoteSeq = quote->Seq;
    change.NeedSeq = ctx.main.Need.CurrentNeedSeq;
    change.Status = "R";
    change.Reason = "2";
    change.Note = "Call again next week";
    change.Prepare();
    ctx.ShotModal([&] { ExecDialog(change); }, "change-status");
}

DALVERO_TOUR_STEP(250, "matching providers") {
    ctx.ShotModal([&] { View(ctx).FindMatchingProvidersImageButtonClick(); }, "matching-providers");
}

DALVERO_TOUR_STEP(260, "a provider's card") {
    cDischargeScreens& d = ctx.main.Discharge();
    const auto& rows = d.MatchingProviders->Rows().Items();
    if (rows.empty()) throw std::runtime_error("no provider matched");
    d.ProviderInfo->Fill(rows.front().Value("Seq"));
    ctx.ShotModal([&] { ExecDialog(*d.ProviderInfo); }, "provider-card");
}

DALVERO_TOUR_STEP(270, "category selection") {
    cDischargeScreens& d = ctx.main.Discharge();
    d.CategorySelection->ProviderSeq = d.MatchingProviders->Rows().Items().front().Value("Seq");
    d.CategorySelection->Connection = ctx.session.DataServer.get();
    ctx.ShotModal([&] { ExecDialog(*d.CategorySelection); }, "category-selection");
}
