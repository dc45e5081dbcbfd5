// The discharge planning windows on the demo server: the planner's whole
// walk from a new need to an awarded, approved plan, and the faults the
// windows must not have.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "add_case_form.h"
#include "case_navigation_form.h"
#include "case_need_selection_form.h"
#include "category_selection_form.h"
#include "change_status_form.h"
#include "discharge_item_detail_form.h"
#include "discharge_screens.h"
#include "discharge_view_form.h"
#include "field_conflict_form.h"
#include "control_text.h"
#include "gui_keyboard.h"
#include "gui_planner_fixture.h"
#include "image_button.h"
#include "matching_list.h"
#include "matching_providers_form.h"
#include "need_list_model.h"
#include "patient_editors.h"
#include "health_detail_forms.h"
#include "provider_info_form.h"
#include "quote_list_model.h"
#include "shell_command.h"

namespace dalvero {
namespace {

namespace fs = std::filesystem;

class DischargeScreens : public test::PlannerOnDemoServer {
protected:
    void SetUp() override {
        PlannerOnDemoServer::SetUp();
        if (HasFatalFailure()) return;
        OpenCase(0);
        emit cImageButton::Of(S().CaseNavigation->ManageDischargeButtonImage())->clicked();
        ASSERT_TRUE(dialogs.shown.empty());
    }

    cDischargeScreens& D() const { return main->Discharge(); }
    TDischargeViewForm& View() const { return *D().DischargeView; }
    cNeedListModel& Needs() const { return View().Rows(); }
    TDischargeItemDetailForm& Detail() const { return *D().ItemDetail; }
    std::vector<std::string> Seqs() const {
        std::vector<std::string> seqs;
        for (int i = 0; i < Needs().rowCount(); ++i) seqs.push_back(Needs().Need(i)->Seq);
        return seqs;
    }
    std::set<fs::path> Outbox() const {
        std::set<fs::path> files;
        for (const auto& entry : fs::directory_iterator(server.DataDir() / "outbox"))
            if (entry.path().extension() == ".eml") files.insert(entry.path());
        return files;
    }
    // Opens the need on row, runs step in its dialog.
    void OpenNeed(int row, std::function<void(TDischargeItemDetailForm&)> step) {
        dialogs.InDialog([&, step](QDialog&) { step(Detail()); });
        View().CaseRequirementsListBoxClick(Needs().index(row));
    }
    // The row of a need whose first quote is listed (not declined); -1 for none.
    int RowWithAQuoteOnView() const {
        for (int row = 0; row < Needs().rowCount(); ++row) {
            const auto quotes = Listed("CaseNeedsQuote", "L2", Needs().Need(row)->Seq, 14);
            if (!quotes.empty() && quotes.front().second != "R") return row;
        }
        return -1;
    }
    // The links of a provider to its categories: category Seq -> link Seqs.
    std::multimap<int, std::string> Links(const std::string& provider) const {
        std::multimap<int, std::string> links;
        for (const auto& [link, category] : Listed("ProviderCategoryLink", "L2", provider, 11))
            links.emplace(ToIntDef(category, 0), link);
        return links;
    }
};

TEST_F(DischargeScreens, PlannerWalksFromANewNeedToAnAwardedApprovedPlan) {
    // Loaded in date order; the date header turns the order around and back.
    const std::vector<std::string> byDate = Seqs();
    ASSERT_FALSE(byDate.empty());
    View().CaseNeedsHeaderSectionClick(0);
    EXPECT_EQ(Seqs(), std::vector<std::string>(byDate.rbegin(), byDate.rend()));
    View().CaseNeedsHeaderSectionClick(0);
    EXPECT_EQ(Seqs(), byDate);

    // A new need through the picker: "Dialysis Equipment" under home health is 139.
    dialogs.InDialog([&](QDialog&) {
        EXPECT_TRUE(View().Dimmed());
        Detail().CaseNeedSelectionButtonClick();
        Named<QPlainTextEdit>(Detail(), "CaseNeedDescEdit")->setPlainText("Chair by Friday, three days a week");
        Detail().CaseNeedSaveImageButtonClick();
    });
    dialogs.InDialog([](QDialog& picker) { static_cast<TCaseNeedSelectionForm&>(picker).EntryClick("S139_1"); });
    View().AddNewDischargeReqImageButtonClick();
    EXPECT_FALSE(View().Dimmed());
    ASSERT_EQ(Needs().rowCount(), static_cast<int>(byDate.size()) + 1);
    std::string need;
    for (const std::string& seq : Seqs())
        if (std::find(byDate.begin(), byDate.end(), seq) == byDate.end()) need = seq;
    const int needRow = Needs().RowOfSeq(need);
    EXPECT_EQ(Needs().Need(needRow)->CategoryName, "Home Dialysis Equipment");
    EXPECT_EQ(Needs().Need(needRow)->Status, "1A");
    EXPECT_EQ(Field("CaseNeeds", need, 12), "139");

    // Matching, then requests to two providers for the new need.
    Named<QCheckBox>(*main, "InsuranceMatchOnlyCB")->setChecked(false);
    Named<QLineEdit>(*main, "MileRadiusEdit")->setText("500");
    const std::set<fs::path> before = Outbox();
    std::set<std::string> asked;
    dialogs.InDialog([&](QDialog&) {
        TMatchingProvidersForm& matching = *D().MatchingProviders;
        const auto& rows = matching.Rows().Items();
        for (int r = 0; r < static_cast<int>(rows.size()) && asked.size() < 2; ++r) {
            if (rows[static_cast<std::size_t>(r)].Value("Seq") != need || matching.TickBox(r).isEmpty()) continue;
            matching.MatchingProvidersListBoxMouseDown(matching.TickBox(r).center());
            const int provider = ToIntDef(rows[static_cast<std::size_t>(r)].Value("ProviderListBoxPosition"), -1);
            EXPECT_TRUE(rows[static_cast<std::size_t>(provider)].ticked);
            asked.insert(rows[static_cast<std::size_t>(provider)].Value("Seq"));
        }
        ASSERT_EQ(asked.size(), 2u);
        dialogs.Answer(QMessageBox::Yes);
        matching.SendProviderRequestsImageButtonClick();
    });
    View().FindMatchingProvidersImageButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{"Are you sure you want to send emails to the providers?"});
    std::vector<fs::path> mails;
    for (const fs::path& file : Outbox())
        if (!before.count(file)) mails.push_back(file);
    ASSERT_EQ(mails.size(), 2u);
    for (const fs::path& mail : mails) EXPECT_NE(test::ReadAll(mail).find("Chair by Friday"), std::string::npos);
    EXPECT_EQ(Needs().Need(Needs().RowOfSeq(need))->Status, "2");

    // The provider accepts; the planner awards the need to that quote. The
    // row is found by its Seq, not by the selection.
    const cCaseNeeds selected = *Needs().Need(Needs().RowOfSeq(need) == 0 ? 1 : 0);
    View().CaseRequirementsListBox()->setCurrentIndex(Needs().index(Needs().RowOfSeq(selected.Seq)));
    std::string quote;
    OpenNeed(Needs().RowOfSeq(need), [&](TDischargeItemDetailForm& detail) {
        ASSERT_EQ(detail.Quotes().rowCount(), 2);
        EXPECT_FALSE(detail.SaveShown());
        quote = detail.Quotes().Quote(0)->Seq;
        detail.NeedQuoteListBoxMouseDown(detail.AwardedRect(0).center());  // a waiting quote is not awarded
        EXPECT_TRUE(main->Need.AwardedQuote.empty());
        dialogs.InDialog([](QDialog& dialog) {
            Named<QRadioButton>(dialog, "ProviderAcceptRadioButton")->click();
            static_cast<TChangeStatusForm&>(dialog).OKButtonClick();
        });
        detail.NeedQuoteListBoxMouseDown(detail.ChangeStatusRect(0).center());
        EXPECT_EQ(detail.Quotes().Quote(0)->State().status, "A");
        detail.NeedQuoteListBoxMouseDown(detail.AwardedRect(0).center());
        EXPECT_EQ(main->Need.AwardedQuote, quote);
        detail.DischargeStatusImageButtonClick();
    });
    EXPECT_EQ(Field("CaseNeedsQuote", quote, 14), "A");
    EXPECT_EQ(Field("CaseNeeds", need, 16), quote);
    EXPECT_EQ(Needs().Need(Needs().RowOfSeq(need))->Status, "3");
    EXPECT_EQ(Needs().Need(Needs().RowOfSeq(selected.Seq))->Status, selected.Status);

    // The physician is asked by e-mail, then approves.
    const std::set<fs::path> beforeDoctor = Outbox();
    dialogs.Answer(QMessageBox::Ok);
    View().RequestPhysicianApprovalButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{"The physician has been emailed."});
    EXPECT_EQ(Outbox().size(), beforeDoctor.size() + 1);
    EXPECT_EQ(Field("Cases", main->Case.CurrentCaseSeq, 24), "Y");
    View().GrantPhysicianApprovalButtonClick();
    EXPECT_EQ(Field("Cases", main->Case.CurrentCaseSeq, 25), "Y");
}

TEST_F(DischargeScreens, FailedWritesKeepWhatThePlannerSeesAndTyped) {
    // An approval request without a primary physician leaves a granted approval alone.
    const std::string caseSeq = main->Case.CurrentCaseSeq;
    ASSERT_TRUE(UpdateRecord(*session.DataServer, "Cases", caseSeq, {"f24=Y", "f25=Y"}));
    const auto doctors = Listed("CaseDoctorsLink", "L2", caseSeq, 12);
    ASSERT_FALSE(doctors.empty());
    for (const auto& [link, mark] : doctors)
        ASSERT_TRUE(UpdateRecord(*session.DataServer, "CaseDoctorsLink", link, {"f12=~~~"}));
    dialogs.Answer(QMessageBox::Ok);
    View().RequestPhysicianApprovalButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{"No primary physician has been designated"});
    EXPECT_EQ(Field("Cases", caseSeq, 24), "Y");
    EXPECT_EQ(Field("Cases", caseSeq, 25), "Y");

    const std::string need = Needs().Need(0)->Seq;
    const std::string required = Field("CaseNeeds", need, 14);
    OpenNeed(0, [&](TDischargeItemDetailForm& detail) {
        // A time that is none is refused, and nothing is written.
        auto* time = Named<QLineEdit>(detail, "CaseNeedTimeEdit");
        time->setText("25:99");
        EXPECT_TRUE(detail.Marked(TDischargeItemDetailForm::kTimeMark));
        dialogs.Answer(QMessageBox::Ok);
        detail.CaseNeedSaveImageButtonClick();
        EXPECT_TRUE(detail.isVisible());
        // The need went away meanwhile: the update fails and the typing stays.
        time->setText("14.30");
        main->Need.CurrentNeedSeq = "999999";
        dialogs.Answer(QMessageBox::Ok);
        detail.CaseNeedSaveImageButtonClick();
        EXPECT_TRUE(detail.isVisible());
        EXPECT_EQ(time->text(), "14.30");
        main->Need.CurrentNeedSeq = need;
        detail.CaseNeedSaveImageButtonClick();
        EXPECT_FALSE(detail.isVisible());
    });
    EXPECT_EQ(TakeShown().size(), 2u);
    EXPECT_EQ(Field("CaseNeeds", need, 14), required.substr(0, 8) + "1430");

    // A quote that cannot be written keeps its award and its old values.
    ASSERT_TRUE(UpdateRecord(*session.DataServer, "CaseNeeds", need, {"f16=999999"}));
    main->Need.AwardedQuote = "999999";
    TChangeStatusForm& change = *D().ChangeStatus;
    change.QuoteSeq = "999999";
    change.NeedSeq = need;
    change.Status = "A";
    change.Reason.clear();
    change.Note.clear();
    change.Prepare();
    Named<QRadioButton>(change, "CancelledRadioButton")->click();
    dialogs.Answer(QMessageBox::Ok);
    change.OKButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{"Error updating the case needs"});
    EXPECT_EQ(change.Status, "A");
    EXPECT_EQ(main->Need.AwardedQuote, "999999");
    EXPECT_EQ(Field("CaseNeeds", need, 16), "999999");
    // Rejected as "Other" needs an explanation.
    Named<QRadioButton>(change, "ProviderRejectRadioButton")->click();
    change.ReasonButton(8)->setChecked(true);
    dialogs.Answer(QMessageBox::Ok);
    change.OKButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{"An explanation must be given for the rejection"});
}

TEST_F(DischargeScreens, ProviderRequestsNeedATickAndTheirErrorsStandOnTheirOwnLine) {
    Named<QCheckBox>(*main, "InsuranceMatchOnlyCB")->setChecked(false);
    dialogs.InDialog([&](QDialog&) {
        TMatchingProvidersForm& matching = *D().MatchingProviders;
        dialogs.Answer(QMessageBox::Ok);
        matching.SelectNoneButtonClick();
        matching.SendProviderRequestsImageButtonClick();
        EXPECT_EQ(TakeShown(), std::vector<std::string>{"Please select one or more providers"});
        // A provider that lost its e-mail addresses cannot be asked.
        const auto& rows = matching.Rows().Items();
        int row = 0;
        while (row < static_cast<int>(rows.size()) && (rows[static_cast<std::size_t>(row)].IsProvider() ||
                                                       matching.TickBox(row).isEmpty()))
            ++row;
        ASSERT_LT(row, static_cast<int>(rows.size()));
        const int providerRow = ToIntDef(rows[static_cast<std::size_t>(row)].Value("ProviderListBoxPosition"), 0);
        const std::string provider = rows[static_cast<std::size_t>(providerRow)].Value("Seq");
        ASSERT_TRUE(server.OpenStore()->Update("ProviderEntities", std::stoll(provider), {{20, ""}, {21, ""}}));
        matching.MatchingProvidersListBoxMouseDown(matching.TickBox(row).center());
        dialogs.Answer(QMessageBox::Yes);
        dialogs.Answer(QMessageBox::Ok);
        matching.SendProviderRequestsImageButtonClick();
        EXPECT_FALSE(matching.isVisible());
    });
    View().FindMatchingProvidersImageButtonClick();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].caption, "Error sending emails");
    EXPECT_EQ(dialogs.shown[1].text.rfind("There was a problem sending an email to one or more providers.\n", 0), 0u);
    EXPECT_GT(dialogs.shown[1].text.size(), 64u);
}

TEST_F(DischargeScreens, DeletingANeedWithActiveQuotesAsksTwiceAndClosesThem) {
    // A need with a declined bid among its bids.
    std::vector<std::pair<std::string, std::string>> quotes;
    int row = 0;
    int rejected = 0;
    for (; row < Needs().rowCount() && rejected == 0; ++row) {
        quotes = Listed("CaseNeedsQuote", "L2", Needs().Need(row)->Seq, 14);
        rejected = static_cast<int>(std::count_if(quotes.begin(), quotes.end(), [](const auto& q) { return q.second == "R"; }));
    }
    ASSERT_GT(rejected, 0) << "the demo case has no need with a declined bid";
    --row;
    const int all = static_cast<int>(quotes.size());
    const std::string need = Needs().Need(row)->Seq;
    OpenNeed(row, [&](TDischargeItemDetailForm& detail) {
        // Declined bids only on request; the button and award columns do not sort.
        auto* declined = Named<QCheckBox>(detail, "RejectionsCB");
        EXPECT_EQ(detail.Quotes().rowCount(), all - rejected);
        declined->setChecked(true);
        EXPECT_EQ(detail.Quotes().rowCount(), all);
        declined->setChecked(false);
        std::vector<std::string> order;
        for (int q = 0; q < detail.Quotes().rowCount(); ++q) order.push_back(detail.Quotes().Quote(q)->Seq);
        detail.NeedQuoteHeaderSectionClick(5);
        for (int q = 0; q < detail.Quotes().rowCount(); ++q) EXPECT_EQ(detail.Quotes().Quote(q)->Seq, order[q]);
        dialogs.Answer(QMessageBox::Yes);
        dialogs.Answer(QMessageBox::Yes);
        detail.CaseNeedDeleteImageButtonClick();
    });
    EXPECT_EQ(TakeShown(), (std::vector<std::string>{
                               "Are you sure you want to delete this case item?",
                               "This case item has active quotes.  Are you sure you want to delete them?"}));
    EXPECT_EQ(Field("CaseNeeds", need, 5), "Y");
    EXPECT_EQ(Needs().RowOfSeq(need), -1);
    for (const auto& [quote, status] : quotes) EXPECT_EQ(Field("CaseNeedsQuote", quote, 16), "C") << quote;
}

TEST_F(DischargeScreens, ANeedWhoseQuotesCannotBeReadIsNotDeleted) {
    const std::string need = Needs().Need(0)->Seq;
    OpenNeed(0, [&](TDischargeItemDetailForm& detail) {
        server.Stop();
        dialogs.Answer(QMessageBox::Yes);
        dialogs.Answer(QMessageBox::Ok);
        detail.CaseNeedDeleteImageButtonClick();
        server.Resume();
        EXPECT_TRUE(detail.isVisible());
    });
    EXPECT_EQ(TakeShown(), (std::vector<std::string>{
                               "Are you sure you want to delete this case item?",
                               "The quotes of this case item could not be read, so it was not deleted; please try "
                               "again."}));
    EXPECT_NE(Field("CaseNeeds", need, 5), "Y");
}

TEST_F(DischargeScreens, IdleLogoffClosesTheNeedAndQuoteDialogsUnaskedAndKeepsTheirTyping) {
    const int row = RowWithAQuoteOnView();
    ASSERT_GE(row, 0) << "the demo case has no need with a quote on view";
    const std::string need = Needs().Need(row)->Seq;
    std::string quote;
    OpenNeed(row, [&](TDischargeItemDetailForm& detail) {
        Named<QPlainTextEdit>(detail, "CaseNeedDescEdit")->setPlainText("Ramp at the back door");
        quote = detail.Quotes().Quote(0)->Seq;
        dialogs.InDialog([&](QDialog& change) {
            Named<QPlainTextEdit>(change, "NoteEdit")->setPlainText("Call back on Monday");
            IdleLogoff();
            EXPECT_FALSE(change.isVisible());
            EXPECT_FALSE(detail.isVisible());
            EXPECT_FALSE(main->TimeoutTimer->isActive());
        });
        detail.NeedQuoteListBoxMouseDown(detail.ChangeStatusRect(0).center());
    });
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(terminations, 1);

    dialogs.Answer(QMessageBox::Yes);
    OpenNeed(Needs().RowOfSeq(need), [&](TDischargeItemDetailForm& detail) {
        EXPECT_EQ(Named<QPlainTextEdit>(detail, "CaseNeedDescEdit")->toPlainText(), "Ramp at the back door");
        EXPECT_TRUE(detail.SaveShown());
        dialogs.Answer(QMessageBox::Yes);
        dialogs.InDialog([&](QDialog& change) {
            EXPECT_EQ(ControlText(Named<QPlainTextEdit>(change, "NoteEdit")), "Call back on Monday");
            static_cast<TChangeStatusForm&>(change).OKButtonClick();
        });
        int at = 0;
        while (at < detail.Quotes().rowCount() && detail.Quotes().Quote(at)->Seq != quote) ++at;
        detail.NeedQuoteListBoxMouseDown(detail.ChangeStatusRect(at).center());
        detail.CaseNeedSaveImageButtonClick();
    });
    EXPECT_EQ(TakeShown().size(), 2u);
    EXPECT_EQ(Field("CaseNeeds", need, 15), "Ramp at the back door");
    EXPECT_EQ(Note("CaseNeedsQuote", quote, "f1001"), "Call back on Monday");
}

TEST_F(DischargeScreens, CategoryTicksRoundTripAndTheTwoBoxesOf139AreOneItem) {
    TCategorySelectionForm& form = *D().CategorySelection;
    std::string provider;
    for (const auto& [seq, name] : Listed("ProviderEntities", "L1", "", 10))
        if (provider.empty() && !Links(seq).count(139) && !Links(seq).empty()) provider = seq;
    ASSERT_FALSE(provider.empty());
    const auto links = Links(provider);
    // A planner may not change a provider's categories: the window says so
    // and stays open.
    form.ProviderSeq = provider;
    form.Connection = session.DataServer.get();
    form.LoadLinks();
    form.Box("S139")->setChecked(true);
    dialogs.Answer(QMessageBox::Ok);
    form.SaveButtonClick();
    EXPECT_EQ(TakeShown(), std::vector<std::string>{
                               "Some of the provider's categories could not be saved; the window stays open to try "
                               "again."});
    EXPECT_EQ(Links(provider), links);
    // A provider's categories are an administrator's to change.
    const auto administrator = server.ConnectData();
    form.ProviderSeq = provider;
    form.Connection = administrator.get();
    form.LoadLinks();
    for (const auto& [category, link] : links)
        EXPECT_TRUE(form.Box("S" + QString::number(category))->isChecked()) << category;
    form.SaveButtonClick();  // nothing changed, nothing written
    EXPECT_EQ(Links(provider), links);

    form.LoadLinks();
    form.Box("S139_1")->setChecked(true);
    EXPECT_TRUE(form.Box("S139")->isChecked());
    form.Box("S139")->setChecked(true);
    form.SaveButtonClick();
    EXPECT_EQ(Links(provider).count(139), 1u);

    form.LoadLinks();
    EXPECT_TRUE(form.Box("S139")->isChecked() && form.Box("S139_1")->isChecked());
    form.Box("S139")->setChecked(false);
    EXPECT_FALSE(form.Box("S139_1")->isChecked());
    form.SaveButtonClick();
    EXPECT_EQ(Links(provider), links);
}

TEST_F(DischargeScreens, CategoryPickersWorkByKeyboardGroupByGroup) {
    using test::Focused;
    using test::FocusedName;
    TCaseNeedSelectionForm& picker = *D().CaseNeedSelection;
    dialogs.InDialog([&](QDialog&) {
        test::Activate(&picker);
        EXPECT_EQ(FocusedName(), "S140");
        QTest::keyClick(Focused(), Qt::Key_Down);
        QTest::keyClick(Focused(), Qt::Key_Down);
        EXPECT_EQ(FocusedName(), "S148");
        test::ExpectFramed(&picker, Focused());
        QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(FocusedName(), "S141");
        QTest::keyClick(Focused(), Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(FocusedName(), "S148");
        // The long list scrolls to its last entry.
        for (int group = 0; group < 5; ++group) QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(FocusedName(), "S134");
        QTest::keyClick(Focused(), Qt::Key_End);
        EXPECT_EQ(FocusedName(), "S127");
        EXPECT_FALSE(Focused()->visibleRegion().isEmpty());
        QTest::keyClick(Focused(), Qt::Key_Up);
        QTest::keyClick(Focused(), Qt::Key_Return);
        EXPECT_FALSE(picker.isVisible());
    });
    ExecDialog(picker);
    EXPECT_EQ(picker.Result(), "132");

    // The category window: Space ticks the current box; Tab leaves a group.
    TCategorySelectionForm& categories = *D().CategorySelection;
    categories.Connection = session.DataServer.get();
    categories.ProviderSeq = "0";
    dialogs.InDialog([&](QDialog&) {
        test::Activate(&categories);
        EXPECT_EQ(FocusedName(), "S140");
        QTest::keyClick(Focused(), Qt::Key_Tab);
        QTest::keyClick(Focused(), Qt::Key_Down);
        EXPECT_EQ(FocusedName(), "S142");
        QTest::keyClick(Focused(), Qt::Key_Space);
        EXPECT_TRUE(categories.Box("S142")->isChecked());
        EXPECT_FALSE(categories.Box("S141")->isChecked());
        // Enter saves; a planner's write is refused, so the window stays with its ticks.
        dialogs.Answer(QMessageBox::Ok);
        QTest::keyClick(Focused(), Qt::Key_Return);
        EXPECT_EQ(TakeShown(), std::vector<std::string>{
                                   "Some of the provider's categories could not be saved; the window stays open to "
                                   "try again."});
        EXPECT_TRUE(categories.isVisible());
        EXPECT_TRUE(categories.Box("S142")->isChecked());
        QTest::keyClick(Focused(), Qt::Key_Escape);
        EXPECT_FALSE(categories.isVisible());
    });
    EXPECT_EQ(ExecDialog(categories), QDialog::Rejected);
}

TEST_F(DischargeScreens, MatchesAndQuotesWorkByKeyboard) {
    const QColor mark(255, 140, 0);
    Named<QCheckBox>(*main, "InsuranceMatchOnlyCB")->setChecked(false);
    dialogs.InDialog([&](QDialog& dialog) {
        TMatchingProvidersForm& matching = *D().MatchingProviders;
        test::Activate(&dialog);
        QListView* list = matching.MatchingProvidersListBox();
        ASSERT_TRUE(test::TabTo(list));
        ASSERT_GT(matching.Rows().rowCount(), 1);
        EXPECT_EQ(list->currentIndex().row(), 0);
        const QRect first = list->visualRect(list->currentIndex());
        EXPECT_EQ(list->viewport()->grab().toImage().pixelColor(first.left(), first.center().y()), mark);
        QTest::keyClick(list, Qt::Key_Space);
        const auto& rows = matching.Rows().Items();
        EXPECT_TRUE(rows[0].ticked);
        EXPECT_EQ(rows[1].ticked, rows[0].Value("NumberNeeds") != "0");
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_FALSE(rows[0].ticked);
        std::string card;
        dialogs.InDialog([&](QDialog& shown) { card = shown.objectName().toStdString(); });
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(card, "TProviderInfoForm");
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->currentIndex().row(), 1);
    });
    View().FindMatchingProvidersImageButtonClick();

    // A need with a quote on view: "Change Status" and the award circle by Tab.
    const int row = RowWithAQuoteOnView();
    ASSERT_GE(row, 0) << "the demo case has no need with a quote on view";
    const std::string need = Needs().Need(row)->Seq;
    std::string quote;
    OpenNeed(row, [&](TDischargeItemDetailForm& detail) {
        test::Activate(&detail);
        QListView* list = detail.NeedQuoteListBox();
        ASSERT_TRUE(test::TabTo(list));
        const int current = list->currentIndex().row();
        ASSERT_GE(current, 0);
        quote = detail.Quotes().Quote(current)->Seq;
        const auto markAround = [&](const QRect& part) {
            return list->viewport()->grab().toImage().pixelColor(part.left() - 3, part.center().y());
        };
        EXPECT_EQ(markAround(detail.ChangeStatusRect(current)), mark);
        // The status radio buttons move with the arrows; Enter is OK.
        dialogs.InDialog([&](QDialog& change) {
            test::Activate(&change);
            auto* waiting = Named<QRadioButton>(change, "WaitingOnProviderRadioButton");
            waiting->click();
            waiting->setFocus();
            QTest::keyClick(waiting, Qt::Key_Down);
            EXPECT_TRUE(Named<QRadioButton>(change, "ProviderAcceptRadioButton")->isChecked());
            QTest::keyClick(test::Focused(), Qt::Key_Return);
            EXPECT_FALSE(change.isVisible());
        });
        QTest::keyClick(list, Qt::Key_Space);
        test::Activate(&detail);
        EXPECT_EQ(detail.Quotes().Quote(current)->State().status, "A");
        QTest::keyClick(list, Qt::Key_Tab);
        EXPECT_EQ(test::Focused(), list);
        EXPECT_EQ(markAround(detail.AwardedRect(current)), mark);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(main->Need.AwardedQuote, quote);
        QTest::keyClick(list, Qt::Key_Tab);
        EXPECT_NE(test::Focused(), list);
        detail.DischargeStatusImageButtonClick();
    });
    EXPECT_EQ(Field("CaseNeedsQuote", quote, 14), "A");
    EXPECT_EQ(Field("CaseNeeds", need, 16), quote);
}

TEST_F(DischargeScreens, TwoPlannersOnANeedOrAQuoteChooseInsteadOfOverwriting) {
    const int row = RowWithAQuoteOnView();
    ASSERT_GE(row, 0) << "the demo case has no need with a quote on view";
    const std::string need = Needs().Need(row)->Seq;
    const auto colleague = server.ConnectData("Dalvero", true, &DemoUser("Discharge Planner"));
    std::string quote;
    OpenNeed(row, [&](TDischargeItemDetailForm& detail) {
        // Her note on the quote lands while he changes its status and note.
        quote = detail.Quotes().Quote(0)->Seq;
        ASSERT_TRUE(UpdateRecord(*colleague, "CaseNeedsQuote", quote, {"f1001=Her note"}));
        dialogs.InDialog([&](QDialog& change) {
            Named<QRadioButton>(change, "CancelledRadioButton")->click();
            Named<QPlainTextEdit>(change, "NoteEdit")->setPlainText("His note");
            dialogs.InDialog([&](QDialog& conflict) {
                EXPECT_EQ(ControlText(Named<QPlainTextEdit>(conflict, "TheirsEdit")), "Her note");
                static_cast<TFieldConflictForm&>(conflict).TakeTheirsButtonClick();
            });
            static_cast<TChangeStatusForm&>(change).OKButtonClick();
            EXPECT_FALSE(change.isVisible());
        });
        detail.NeedQuoteListBoxMouseDown(detail.ChangeStatusRect(0).center());
        EXPECT_EQ(detail.Quotes().Quote(0)->State().note, "Her note");

        // Her description lands while he types his; he keeps his.
        ASSERT_TRUE(UpdateRecord(*colleague, "CaseNeeds", need, {"f15=Her words"}));
        Named<QPlainTextEdit>(detail, "CaseNeedDescEdit")->setPlainText("His words");
        dialogs.InDialog([&](QDialog& conflict) {
            EXPECT_EQ(ControlText(Named<QPlainTextEdit>(conflict, "TheirsEdit")), "Her words");
            static_cast<TFieldConflictForm&>(conflict).KeepMineButtonClick();
        });
        detail.CaseNeedSaveImageButtonClick();
    });
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Field("CaseNeedsQuote", quote, 14), "X");
    EXPECT_EQ(Note("CaseNeedsQuote", quote, "f1001"), "Her note");
    EXPECT_EQ(Field("CaseNeeds", need, 15), "His words");
}

TEST_F(DischargeScreens, SaveAsFhirWritesTheOpenCaseAsAValidBundleOrSaysWhyNot) {
    test::TempDir folder("dalvero-fhir-gui");
    std::string asked;
    View().ChooseFile = [&](const std::string& name) {
        asked = name;
        return (folder.Path() / "case.json").string();
    };
    Named<QPushButton>(*main, "SaveAsFhirButton")->click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(asked, "Referral.fhir.json");
    const std::string json = test::ReadAll(folder.Path() / "case.json");
    EXPECT_NE(json.find("\"value\":\"" + main->Case.CurrentCaseNumber + "\""), std::string::npos);
    const test::ShellResult validated = test::ValidateFhir({folder.Path() / "case.json"});
    EXPECT_EQ(validated.exitCode, 0) << validated.out;

    View().ChooseFile = [&](const std::string&) { return (folder.Path() / "no" / "case.json").string(); };
    dialogs.Answer(QMessageBox::Ok);
    View().SaveAsFhirButtonClick();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Unable to write " + (folder.Path() / "no" / "case.json").string());
}

TEST_F(DischargeScreens, ChoiceListOfAMatchedNeedPrintsItsProvidersIntoAPdf) {
    test::TempDir folder("dalvero-choice-gui");
    std::string first;
    dialogs.InDialog([&](QDialog&) {
        TMatchingProvidersForm& matching = *D().MatchingProviders;
        QComboBox& needs = *Named<QComboBox>(matching, "ChoiceListNeedCombo");
        ASSERT_GT(needs.count(), 0);
        // The list's first provider line of the chosen need heads its choice list too.
        const std::string need = needs.itemData(0).toString().toStdString();
        const auto& rows = matching.Rows().Items();
        for (std::size_t r = 0; r < rows.size() && first.empty(); ++r)
            if (!rows[r].IsProvider() && rows[r].Value("Seq") == need)
                first = rows[static_cast<std::size_t>(ToIntDef(rows[r].Value("ProviderListBoxPosition"), 0))]
                            .Value("Name");
        matching.ChooseFile = [&](const std::string& name) { return (folder.Path() / name).string(); };
        dialogs.InDialog([&](QDialog& preview) {
            EXPECT_EQ(preview.objectName(), "ChoiceListPreview");
            preview.findChild<QPushButton*>("SaveAsPdfButton")->click();
            preview.reject();
        });
        Named<QPushButton>(matching, "PrintChoiceListButton")->click();
    });
    View().FindMatchingProvidersImageButtonClick();
    EXPECT_TRUE(dialogs.shown.empty());
    const std::string text = test::PdfText(folder.Path() / "ChoiceList.pdf");
    EXPECT_NE(text.find("Post-Acute Care Provider Choice List"), std::string::npos) << text;
    ASSERT_FALSE(first.empty());
    EXPECT_NE(text.find(first), std::string::npos) << first << "\n" << text;
}

TEST_F(DischargeScreens, EveryDialogFitsASmallScreen) {
    // 1280x720 logical pixels (also 1920x1080 at 150 %) less a window frame.
    const QSize screen(1260, 680);
    cCaseScreens& s = S();
    for (QDialog* d : std::initializer_list<QDialog*>{
             D().ItemDetail, D().ChangeStatus, D().MatchingProviders, D().ProviderInfo, D().CaseNeedSelection,
             D().CategorySelection, s.AddCase.get(), s.PatientIdentificationEdit.get(), s.PatientAdmission.get(),
             s.PatientInfoEdit.get(), s.PatientEditDischarge.get(), s.PatientHealthDetailNoEdit.get()}) {
        EXPECT_TRUE(screen.expandedTo(d->minimumSizeHint()) == screen) << d->objectName().toStdString();
        EXPECT_TRUE(screen.expandedTo(d->size()) == screen) << d->objectName().toStdString();
    }
}

}  // namespace
}  // namespace dalvero
