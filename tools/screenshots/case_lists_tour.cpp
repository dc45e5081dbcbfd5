// The case's list editors and look-ups, the case history and a closed case.

#include <QLineEdit>

#include "case_edit_form.h"
#include "case_history_form.h"
#include "case_list_form.h"
#include "case_list_model.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"
#include "case_screens.h"
#include "code_lookup_form.h"
#include "dialog_seam.h"
#include "main_window.h"
#include "tour.h"

namespace {
dalvero::cCaseScreens& Screens(dalvero::tour::TourContext& ctx) { return ctx.main.Screens(); }
}  // namespace

DALVERO_TOUR_STEP(140, "case list editors") {
    dalvero::TCaseListForm& list = *Screens(ctx).CaseList;
    list.OpenCasesListBoxClick(list.Rows().index(0));
    dalvero::TCaseEditForm& edit = *Screens(ctx).CaseEdit;
    ctx.ShotModal([&] { edit.PhysicianListBoxMouseDown(); }, "case-physicians");
    ctx.ShotModal([&] { edit.FamilyListBoxMouseDown(); }, "case-family");
    ctx.ShotModal([&] { edit.DiagnosisCodeListBoxMouseDown(); }, "case-codes");
    dalvero::TCodeLookupForm& lookup = *Screens(ctx).CodeLookup;
    lookup.Parameters = {ctx.session.DataServer.get(), ctx.session.FunctionServer.get(), "ICD9Symptom", "L2",
                         "geticd9symptomsforkeywords", dalvero::IcdBook::Diagnoses};
    lookup.Reset();
    lookup.findChild<QLineEdit*>("KeywordEdit")->setText("diabetes circulatory");
    lookup.KeywordEditEnter();
    ctx.ShotModal([&] { dalvero::ExecDialog(lookup); }, "code-lookup");
}

DALVERO_TOUR_STEP(150, "case history") {
    ctx.main.ShowPanel("CaseHistory");
    ctx.Shot(ctx.main, "case-history");
    dalvero::TCaseHistoryForm& history = *Screens(ctx).CaseHistory;
    ctx.ShotModal([&] { history.CaseHistoryListBoxClick(history.Rows().index(0)); }, "case-history-entry");
    Screens(ctx).CaseNavigation->CaseListImageButtonClick();
}

DALVERO_TOUR_STEP(160, "closed case") {
    ctx.main.LoadPreviousCaseList(false);
    dalvero::TCaseListPrevForm& closed = *Screens(ctx).CaseListPrev;
    closed.PrevCasesListBoxClick(closed.Rows().index(0));
    ctx.Shot(ctx.main, "closed-case");
    ctx.main.ShowPanel("OpenCaseList");
    ctx.main.HideCaseInformation();
}
