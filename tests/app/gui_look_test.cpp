// The client's one look on the demo hospital's main screens: every button,
// tick box and title drawn by the application's style, selected rows in the
// palette's colour, phone numbers and ICD codes as people read them, long
// texts shortened at a word with "…", and the lists' empty-state texts.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "case_edit_form.h"
#include "case_navigation_form.h"
#include "client_style.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "gui_planner_fixture.h"
#include "image_button.h"
#include "item_list_model.h"
#include "need_list_model.h"
#include "sub_list_delegate.h"

namespace dalvero {
namespace {

class OneLook : public test::PlannerOnDemoServer {
protected:
    // A widget with a style sheet of its own is drawn by a style of its own.
    static void ExpectApplicationStyle(QWidget& screen) {
        for (QWidget* w : screen.findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || w->property("heading").toBool()) {
                EXPECT_EQ(w->style(), QApplication::style()) << w->objectName().toStdString();
            }
        }
    }
    static std::string ListText(const QAbstractItemView& list) {
        const auto* text = list.viewport()->findChild<QLabel*>("EmptyListText");
        return text && text->isVisibleTo(list.viewport()) ? text->text().toStdString() : std::string();
    }
    void OpenCaseOf(const std::string& seq) {
        const int row = RowOfCase(OpenRows(), seq);
        ASSERT_GE(row, 0) << seq;
        OpenCase(row);
        ASSERT_EQ(main->Case.CurrentCaseSeq, seq);
    }
};

TEST_F(OneLook, MainScreensShowTheApplicationsStyleFormatsAndEmptyStates) {
    ASSERT_NE(dynamic_cast<cClientStyle*>(QApplication::style()), nullptr);
    main->resize(1280, 720);
    main->show();

    // The selected row is the palette's highlight, not a colour of the list's own.
    QListView& cases = *S().CaseList->OpenCasesListBox();
    cases.setCurrentIndex(OpenRows().index(0));
    const QRect row = cases.visualRect(OpenRows().index(0));
    const QColor selected = cases.viewport()->grab().toImage().pixelColor(row.right() - 2, row.top() + 2);
    EXPECT_EQ(selected, cases.palette().color(QPalette::Highlight));
    EXPECT_NE(selected, QColor(0, 0, 255));
    ExpectApplicationStyle(*main);

    // A case with a street too long for its column: cut at a word, whole in the tip.
    const cCaseObject first = *OpenRows().At(0);
    const std::string street = "Apartment 12, Riverside Retirement Community, 7710 Livingston Avenue Extension";
    ASSERT_TRUE(UpdateRecord(*session.DataServer, "Cases", first.Seq, {"f34=" + street}));
    OpenCaseOf(first.Seq);
    QApplication::processEvents();
    auto* streetLabel = main->HostedPanel("CaseEdit")->findChild<QLabel*>("StreetLabel");
    const QString shown = streetLabel->text();
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_EQ(streetLabel->toolTip().toStdString(), street);
    const std::string kept = shown.chopped(1).toStdString();
    EXPECT_EQ(street.rfind(kept, 0), 0u);
    EXPECT_EQ(street[kept.size()], ' ') << "cut inside a word: " << kept;

    const QRegularExpression phone(R"(^\(\d{3}\) \d{3}-\d{4}$)");
    EXPECT_TRUE(phone.match(QString::fromStdString(Label("Phone1Label"))).hasMatch()) << Label("Phone1Label");
    const cItemListModel& doctors = S().CaseEdit->SubList(CaseSubList::kPhysicians);
    ASSERT_GT(doctors.rowCount(), 0);
    EXPECT_TRUE(phone.match(QString::fromStdString(SubListTexts(CaseSubList::kPhysicians, *doctors.At(0)).second))
                    .hasMatch());
    const cItemListModel& codes = S().CaseEdit->SubList(CaseSubList::kDiagnosisCodes);
    ASSERT_GT(codes.rowCount(), 0);
    EXPECT_NE(SubListTexts(CaseSubList::kDiagnosisCodes, *codes.At(0)).first.find('.'), std::string::npos);
    EXPECT_EQ(ListText(*main->findChild<QListView*>("PhysicianListBox")), "");
    ExpectApplicationStyle(*main->HostedPanel("CaseEdit"));

    // The newest intake has no needs yet; its empty lists say so.
    S().CaseList->ShowAllCasesImageButtonClick();
    std::string newest;
    for (int i = 0; i < OpenRows().rowCount(); ++i)
        if (OpenRows().At(i)->CaseNumber.empty()) newest = OpenRows().At(i)->Seq;
    ASSERT_FALSE(newest.empty());
    OpenCaseOf(newest);
    const std::pair<const char*, const char*> subLists[] = {{"PhysicianListBox", "No physicians yet"},
                                                            {"FamilyListBox", "No family members yet"},
                                                            {"DiagnosisCodeListBox", "No diagnosis codes yet"},
                                                            {"TreatmentCodeListBox", "No treatment codes yet"}};
    for (const auto& [name, empty] : subLists) {
        const auto* list = main->HostedPanel("CaseEdit")->findChild<QListView*>(name);
        EXPECT_EQ(ListText(*list), list->model()->rowCount() == 0 ? empty : "") << name;
    }
    emit cImageButton::Of(S().CaseNavigation->ManageDischargeButtonImage())->clicked();
    TDischargeViewForm& view = *main->Discharge().DischargeView;
    EXPECT_EQ(view.Rows().rowCount(), 0);
    EXPECT_EQ(ListText(*main->HostedPanel("DischargeView")->findChild<QListView*>("CaseRequirementsListBox")),
              "No needs yet");
    ExpectApplicationStyle(*main->HostedPanel("DischargeView"));
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace dalvero
