// The administrator's pictures of the guide, taken by a run of the tour
// logged in as the demo administrator (DALVERO_TOUR_ADMIN): each tab of the
// Admin panel, the provider search and the state file in the report window.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include "admin_main_form.h"
#include "case_list_navigation_form.h"
#include "case_screens.h"
#include "image_button.h"
#include "main_window.h"
#include "tour.h"

namespace {
using namespace dalvero;

TAdminMainForm& Admin(tour::TourContext& ctx) { return ctx.main.Admin(); }
template <typename T>
T* Child(tour::TourContext& ctx, const char* name) {
    return Admin(ctx).Panel()->findChild<T*>(name);
}
void ShowTab(tour::TourContext& ctx, int index) { Child<QTabWidget>(ctx, "AdminPageControl")->setCurrentIndex(index); }
}  // namespace

DALVERO_TOUR_STEP(900, "admin hospital") {
    // The first step of its run: the window's start-up comes first.
    ctx.main.FormActivate();
    emit cImageButton::Of(ctx.main.Screens().ListNavigation->ShowAdminImage())->clicked();
    ctx.Shot(ctx.main, "admin-hospital");
}

DALVERO_TOUR_STEP(910, "admin case workers") {
    ShowTab(ctx, 1);
    ctx.Shot(ctx.main, "admin-case-workers");
}

DALVERO_TOUR_STEP(920, "admin personnel") {
    ShowTab(ctx, 2);
    Child<QListWidget>(ctx, "PersonnelListBox")->setCurrentRow(0);
    ctx.Shot(ctx.main, "admin-personnel");
}

DALVERO_TOUR_STEP(930, "admin preferred providers") {
    ShowTab(ctx, 3);
    Child<QListWidget>(ctx, "PreferredProvidersListBox")->setCurrentRow(0);
    ctx.Shot(ctx.main, "admin-preferred-providers");
    ctx.ShotModal([&] { Admin(ctx).AddPreferredProviderButtonClick(); }, "admin-provider-search");
}

DALVERO_TOUR_STEP(940, "admin reports") {
    ShowTab(ctx, 4);
    Child<QLineEdit>(ctx, "ReportBegDateEdit")->setText("01/01/2000");
    Child<QLineEdit>(ctx, "ReportEndDateEdit")->setText("12/31/2099");
    ctx.Shot(ctx.main, "admin-reports");
    // The tour's files go to a scratch folder, not the user's documents.
    const std::string scratch = QDir::tempPath().toStdString() + "/dalvero-tour-";
    Admin(ctx).ChooseReportFile = [scratch](const std::string& name) { return scratch + name; };
    ctx.ShotModal([&] { Admin(ctx).MIRCalFileButtonClick(); }, "admin-state-file");
    QDir::temp().remove("dalvero-tour-View.txt");
}
