// The case screens of the guide: entering a new case, the case screen with
// its four editors, and the health check-list.

#include "case_edit_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "dialog_seam.h"
#include "health_detail_forms.h"
#include "main_window.h"
#include "tour.h"

namespace {
dalvero::cCaseScreens& Screens(dalvero::tour::TourContext& ctx) { return ctx.main.Screens(); }
}  // namespace

DALVERO_TOUR_STEP(100, "new case") {
    ctx.ShotModal([&] { Screens(ctx).CaseList->EnterNewCaseButtonImageClick(); }, "add-case");
}

DALVERO_TOUR_STEP(110, "case screen") {
    dalvero::TCaseListForm& list = *Screens(ctx).CaseList;
    list.OpenCasesListBoxClick(list.Rows().index(0));
    ctx.Shot(ctx.main, "case-screen");
}

DALVERO_TOUR_STEP(120, "case editors") {
    dalvero::TCaseEditForm& edit = *Screens(ctx).CaseEdit;
    ctx.ShotModal([&] { edit.Shape1MouseDown(); }, "edit-identification");
    ctx.ShotModal([&] { edit.Shape5MouseDown(); }, "edit-information");
    ctx.ShotModal([&] { edit.Shape7MouseDown(); }, "edit-admission");
    ctx.ShotModal([&] { edit.DischargeEditShapeMouseDown(); }, "edit-discharge");
}

DALVERO_TOUR_STEP(130, "health details") {
    ctx.main.ShowPanel("PatientHealthDetail");
    ctx.Shot(ctx.main, "health-details");
    ctx.main.ShowPanel("CaseEdit");
    dalvero::TPatientHealthDetailNoEditForm& readOnly = *Screens(ctx).PatientHealthDetailNoEdit;
    ctx.ShotModal(
        [&] {
            if (readOnly.Load(ctx.main.Case.CurrentCaseSeq)) dalvero::ExecDialog(readOnly);
        },
        "health-details-read-only");
}

DALVERO_TOUR_STEP(199, "back to the case list") { Screens(ctx).CaseNavigation->CaseListImageButtonClick(); }
