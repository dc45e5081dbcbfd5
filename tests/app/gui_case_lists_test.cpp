// The editors of a case's physicians, family and codes, the look-ups, the
// case history and the closed case screen on the demo server.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "case_edit_form.h"
#include "case_history_form.h"
#include "case_list_editors.h"
#include "case_list_prev_form.h"
#include "code_lookup_form.h"
#include "function_commands.h"
#include "gui_planner_fixture.h"
#include "health_checklist.h"
#include "health_checklist_view.h"
#include "health_detail_forms.h"
#include "item_list_model.h"
#include "json_node.h"
#include "lookup_form.h"
#include "previous_case_edit_form.h"
#include "storage.h"

namespace dalvero {
namespace {

namespace fs = std::filesystem;

class CaseLists : public test::PlannerOnDemoServer {
protected:
    void Open(int row) { caseSeq = OpenCase(row); }
    cItemListModel& CaseRows(CaseSubList which) const { return S().CaseEdit->SubList(which); }
    static void Click(QWidget& form, const char* button) {
        QTest::mouseClick(Named<QLabel>(form, button), Qt::LeftButton);
    }
    static void ClickRow(QListView* list, int row) {
        list->setCurrentIndex(list->model()->index(row, 0));
        emit list->clicked(list->model()->index(row, 0));
    }
    // Field n of every link record of the case, by Seq.
    std::map<std::string, std::string> Links(const char* table, int n) const {
        const auto links = Listed(table, "L2", caseSeq, n);
        return {links.begin(), links.end()};
    }
    std::string Message() {
        const std::string text = dialogs.shown.empty() ? std::string() : dialogs.shown.back().text;
        dialogs.shown.clear();
        return text;
    }

    std::string caseSeq;
};

TEST_F(CaseLists, PhysiciansAddMoveThePrimaryMarkAndRemove) {
    Open(0);
    const auto before = Links("CaseDoctorsLink", 12);
    std::string oldPrimary;
    for (const auto& [seq, mark] : before)
        if (mark == "P") oldPrimary = seq;
    ASSERT_FALSE(oldPrimary.empty());
    const std::string oldDoctor = Field("CaseDoctorsLink", oldPrimary, 11);
    // A doctor other than the primary one, looked up by last name.
    cRecordBatch doctors;
    ASSERT_TRUE(doctors.Query(session.DataServer.get(), "Personnel", "L2", "", "", 0, 100, "f13,f22", "", "f27=Y",
                              "F"));
    ASSERT_TRUE(doctors.Set->First());
    while (doctors.Set->Seq == oldDoctor) ASSERT_TRUE(doctors.Set->Next());
    const std::string doctor = doctors.Set->Seq;
    const std::string lastName = doctors.Set->ReadField("f13");
    const std::string email = doctors.Set->ReadField("f22");
    const int rows = CaseRows(CaseSubList::kPhysicians).rowCount();

    std::string added;
    dialogs.InDialog([&](QDialog& d) {
        auto& editor = static_cast<TCasePhysicianListForm&>(d);
        EXPECT_EQ(editor.Rows().rowCount(), rows);  // handed over
        EXPECT_EQ(CaseRows(CaseSubList::kPhysicians).rowCount(), 0);
        dialogs.InDialog([&](QDialog& look) {
            EXPECT_EQ(look.windowTitle(), "Lookup a Physician");
            auto& lookup = static_cast<TLookupForm&>(look);
            QTest::keyClicks(Named<QLineEdit>(look, "EditBox"), QString::fromStdString(lastName));
            ASSERT_GT(lookup.Rows().rowCount(), 0);
            EXPECT_LE(lookup.Rows().rowCount(), 17);
            QTest::keyClick(Named<QLineEdit>(look, "EditBox"), Qt::Key_Return);
        });
        editor.AddButtonClick();
        ASSERT_EQ(editor.Rows().rowCount(), rows + 1);
        const ListBoxItemClass& row = *editor.Rows().At(rows);
        added = row.Seq;
        EXPECT_EQ(row.GetValue("f11"), doctor);
        EXPECT_EQ(row.GetValue("doc13"), lastName);

        // The new row becomes primary: to the top, and the old one unmarked.
        ClickRow(editor.List(), rows);
        Named<QCheckBox>(d, "PrimaryDoctorCheckBox")->setChecked(true);
        Named<QLineEdit>(d, "SpecialtyEdit")->setText("Cardiology");
        QTest::keyClick(Named<QLineEdit>(d, "SpecialtyEdit"), Qt::Key_Return);
        EXPECT_EQ(editor.Rows().At(0)->Seq, added);
        EXPECT_FALSE(Named<QWidget>(d, "SelectedEditPanel")->isVisible());
        for (int r = 1; r < editor.Rows().rowCount(); ++r) EXPECT_NE(editor.Rows().At(r)->GetValue("f12"), "P");

        // The old primary goes: removed on the server and from the list.
        int old = 0;
        while (editor.Rows().At(old)->Seq != oldPrimary) ++old;
        ClickRow(editor.List(), old);
        Click(d, "RemoveButton");
        EXPECT_EQ(editor.Rows().rowCount(), rows);
    });
    S().CaseEdit->PhysicianListBoxMouseDown();

    ASSERT_EQ(CaseRows(CaseSubList::kPhysicians).rowCount(), rows);  // handed back
    EXPECT_EQ(CaseRows(CaseSubList::kPhysicians).At(0)->Seq, added);
    const auto after = Links("CaseDoctorsLink", 12);
    EXPECT_EQ(after.count(oldPrimary), 0u);
    for (const auto& [seq, mark] : after) EXPECT_EQ(mark == "P", seq == added) << seq;
    EXPECT_EQ(Field("CaseDoctorsLink", added, 13), "Cardiology");

    // The approval mail goes to the physician the list shows first.
    cJsonNode request;
    BuildSendDoctorNotificationEmail(request, caseSeq);
    ASSERT_TRUE(RunFunctionCommand(*session.FunctionServer, request)) << request.GetString("Error");
    fs::path newest;
    for (const auto& entry : fs::directory_iterator(server.DataDir() / "outbox"))
        if (newest.empty() || fs::last_write_time(entry) >= fs::last_write_time(newest)) newest = entry.path();
    const std::string text = test::ReadAll(newest);
    EXPECT_NE(text.find(email), std::string::npos) << text;
}

TEST_F(CaseLists, FamilyKeepsOnePrimaryAndARefusedAddLeavesNoRow) {
    Open(0);
    const int rows = CaseRows(CaseSubList::kFamily).rowCount();
    std::string first;
    std::string second;
    dialogs.InDialog([&](QDialog& d) {
        auto& editor = static_cast<TCaseFamilyListForm&>(d);
        const auto add = [&](const char* name, bool primary) {
            Click(d, "AddFamilyButton");
            EXPECT_FALSE(Named<QWidget>(d, "DeleteButton")->isVisible());
            Named<QLineEdit>(d, "FirstNameEdit")->setText(name);
            Named<QLineEdit>(d, "LastNameEdit")->setText("Okafor");
            Named<QLineEdit>(d, "RelationEdit")->setText("Son");
            QTest::keyClicks(Named<QLineEdit>(d, "PhoneEdit"), "6145550166");
            Named<QCheckBox>(d, "PrimaryContactCheckBox")->setChecked(primary);
            Click(d, "SaveButton");
            return editor.Rows().At(0)->Seq;
        };
        first = add("Ade", true);
        EXPECT_EQ(editor.Rows().Text(0), "Ade Okafor");
        EXPECT_EQ(Named<QLineEdit>(d, "PhoneEdit")->text(), "(614) 555-0166");
        second = add("Bola", true);
        EXPECT_NE(second, first);
        EXPECT_EQ(editor.Rows().rowCount(), rows + 2);
        // One primary contact: the new one took the mark, on the server too.
        std::map<std::string, std::string> marks = Links("CaseFamily", 23);
        EXPECT_EQ(marks.at(first), "");
        EXPECT_EQ(marks.at(second), "P");
        EXPECT_EQ(editor.Rows().At(1)->GetValue("f23"), "");

        // Edited back: not primary any more, it goes to the end.
        ClickRow(editor.List(), 0);
        EXPECT_TRUE(Named<QWidget>(d, "DeleteButton")->isVisible());
        EXPECT_EQ(Named<QLineEdit>(d, "FirstNameEdit")->text(), "Bola");
        Named<QCheckBox>(d, "PrimaryContactCheckBox")->setChecked(false);
        Named<QLineEdit>(d, "EmailEdit")->setText("bola@example.com");
        Click(d, "SaveButton");
        EXPECT_EQ(editor.Rows().At(editor.Rows().rowCount() - 1)->Seq, second);

        // A case the server does not know: the add is refused and no row stays.
        const std::string real = main->Case.CurrentCaseSeq;
        main->Case.CurrentCaseSeq = "999999";
        dialogs.Answer(QMessageBox::Ok);
        Click(d, "AddFamilyButton");
        Named<QLineEdit>(d, "FirstNameEdit")->setText("Nobody");
        Click(d, "SaveButton");
        EXPECT_EQ(Message(), "Failed to add CaseFamily record");
        EXPECT_EQ(editor.Rows().rowCount(), rows + 2);
        main->Case.CurrentCaseSeq = real;

        ClickRow(editor.List(), editor.Rows().rowCount() - 1);
        Click(d, "DeleteButton");
        EXPECT_EQ(editor.Rows().rowCount(), rows + 1);
    });
    S().CaseEdit->FamilyListBoxMouseDown();

    EXPECT_EQ(CaseRows(CaseSubList::kFamily).rowCount(), rows + 1);
    EXPECT_EQ(CaseRows(CaseSubList::kFamily).At(0)->Seq, first);
    EXPECT_EQ(Links("CaseFamily", 23).count(second), 0u);
    EXPECT_EQ(Field("CaseFamily", first, 19), "6145550166");
}

TEST_F(CaseLists, CodesAreFoundByCodeOrKeywordsAndShowTheirPoint) {
    Open(0);
    const int rows = CaseRows(CaseSubList::kDiagnosisCodes).rowCount();
    std::string added;
    dialogs.InDialog([&](QDialog& d) {
        auto& editor = static_cast<TCaseCodesListForm&>(d);
        EXPECT_EQ(Named<QLabel>(d, "MainHeaderLabel")->text(), "Manage Diagnostic Codes for This Case");
        // Keywords that match nothing give the one row that cannot be chosen.
        dialogs.InDialog([&](QDialog& look) {
            auto& lookup = static_cast<TCodeLookupForm&>(look);
            QTest::keyClicks(Named<QLineEdit>(look, "KeywordEdit"), "qqqzzzx");
            QTest::keyClick(Named<QLineEdit>(look, "KeywordEdit"), Qt::Key_Return);
            ASSERT_EQ(lookup.Rows().rowCount(), 1);
            EXPECT_EQ(lookup.Rows().At(0)->GetValue("description"), "No Codes match these keywords.");
            lookup.ListBoxDblClick(lookup.Rows().index(0));
            EXPECT_FALSE(lookup.Selected);
            EXPECT_TRUE(look.isVisible());
            QTest::keyClick(&look, Qt::Key_Escape);
        });
        Click(d, "AddButton");
        EXPECT_EQ(editor.Rows().rowCount(), rows);

        dialogs.InDialog([&](QDialog& look) {
            auto& lookup = static_cast<TCodeLookupForm&>(look);
            QTest::keyClicks(Named<QLineEdit>(look, "CodeEdit"), "250.7");
            // One code of context before the first match.
            ASSERT_GT(lookup.Rows().rowCount(), 1);
            EXPECT_EQ(lookup.Rows().At(1)->GetValue("code").rfind("2507", 0), 0u);
            lookup.ListBoxDblClick(lookup.Rows().index(1));
        });
        Click(d, "AddButton");
        ASSERT_EQ(editor.Rows().rowCount(), rows + 1);
        added = editor.Rows().At(rows)->Seq;
        EXPECT_EQ(editor.Rows().At(rows)->GetValue("f11").rfind("2507", 0), 0u);

        ClickRow(editor.List(), rows);
        EXPECT_EQ(Named<QLabel>(d, "CodeLabel")->text().toStdString().rfind("Code: 250.7", 0), 0u);
        Named<QPlainTextEdit>(d, "DescMemo")->setPlainText("Diabetes with circulatory disorders");
        Click(d, "SaveButton");
    });
    S().CaseEdit->DiagnosisCodeListBoxMouseDown();
    ASSERT_EQ(CaseRows(CaseSubList::kDiagnosisCodes).rowCount(), rows + 1);
    EXPECT_EQ(Field("DiagCodeDetail", added, 11).rfind("2507", 0), 0u);
    EXPECT_EQ(Links("DiagCodeDetail", 1001).at(added), "Diabetes with circulatory disorders");

    dialogs.InDialog([&](QDialog& d) {
        auto& editor = static_cast<TCaseCodesListForm&>(d);
        ClickRow(editor.List(), rows);
        Click(d, "RemoveButton");
    });
    S().CaseEdit->DiagnosisCodeListBoxMouseDown();
    EXPECT_EQ(CaseRows(CaseSubList::kDiagnosisCodes).rowCount(), rows);
    StringList gone;
    EXPECT_FALSE(ReadRecord(*session.DataServer, "DiagCodeDetail", added, gone));
}

TEST_F(CaseLists, LookupPagesThroughTheIcdBook) {
    // The book as the server lists it, to page against.
    std::vector<std::string> book;
    std::ifstream file(fs::path(DALVERO_SOURCE_DATA_DIR) / "icd9cm_v32_diagnoses.txt");
    for (std::string line; std::getline(file, line);) book.push_back(line.substr(0, line.find(' ')));
    std::sort(book.begin(), book.end());
    ASSERT_GT(book.size(), 40u);

    TLookupForm& lookup = *S().Lookup;
    lookup.Parameters = {session.DataServer.get(), "Codes", "N", "ICD9Symptom", "L2", "", 10, "f10,f11", "60,300",
                         "L,L", 10, "", "", ""};
    const auto code = [&lookup](int row) { return lookup.Rows().At(row)->GetValue("f10"); };
    dialogs.InDialog([&](QDialog& d) {
        QLineEdit* box = Named<QLineEdit>(d, "EditBox");
        QTest::keyClick(box, Qt::Key_Home);
        ASSERT_EQ(lookup.Rows().rowCount(), 10);
        EXPECT_EQ(code(0), book[0]);
        QTest::keyClick(box, Qt::Key_PageDown);
        EXPECT_EQ(code(0), book[10]);
        QTest::keyClick(box, Qt::Key_PageUp);
        EXPECT_EQ(code(0), book[0]);
        QTest::keyClick(box, Qt::Key_End);
        ASSERT_GT(lookup.Rows().rowCount(), 0);
        EXPECT_EQ(code(lookup.Rows().rowCount() - 1), book.back());
        // Up on the first row steps one record back.
        const std::string top = code(0);
        for (int i = 0; i < lookup.Rows().rowCount(); ++i) QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(code(0), *(std::find(book.begin(), book.end(), top) - 1));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    lookup.Prepare();
    ExecDialog(lookup);
    EXPECT_FALSE(lookup.Selected);
    EXPECT_TRUE(lookup.Parameters.Table.empty());  // forgotten on closing
}

TEST_F(CaseLists, HistorySortsAndShowsACaseReadOnly) {
    // The patient with the most cases.
    int best = 0;
    int most = 0;
    for (int row = 0; row < OpenRows().rowCount(); ++row) {
        Open(row);
        if (main->CaseHistoryList().rowCount() > most) {
            most = main->CaseHistoryList().rowCount();
            best = row;
        }
    }
    Open(best);
    ASSERT_GE(most, 2);
    TCaseHistoryForm& history = *S().CaseHistory;
    cCaseListModel& rows = history.Rows();
    const auto admits = [&rows] {
        std::vector<std::string> keys;
        for (int r = 0; r < rows.rowCount(); ++r) keys.push_back(rows.At(r)->AdmitDate.substr(0, 8));
        return keys;
    };
    history.CaseHistoryHeaderSectionClick(0);
    std::vector<std::string> ascending = admits();
    EXPECT_TRUE(std::is_sorted(ascending.begin(), ascending.end()));
    history.CaseHistoryHeaderSectionClick(0);
    std::vector<std::string> reversed = admits();
    EXPECT_EQ(reversed, std::vector<std::string>(ascending.rbegin(), ascending.rend()));
    history.CaseHistoryHeaderSectionClick(3);  // Case
    std::vector<std::string> numbers;
    for (int r = 0; r < rows.rowCount(); ++r) numbers.push_back(rows.At(r)->CaseNumber);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));

    const cCaseObject& shown = *rows.At(0);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(d.pos(), main->pos() + QPoint(75, 75));
        EXPECT_EQ(Named<QLabel>(d, "CaseNumberLabel")->text().toStdString(), shown.CaseNumber);
        EXPECT_EQ(Named<QLabel>(d, "AdmitDateLabel")->text().toStdString(), shown.AdmitDate);
        for (const char* memo : {"CaseHistoryDiagnosisMemo", "CaseHistoryHealthDetailsMemo"})
            EXPECT_TRUE(Named<QPlainTextEdit>(d, memo)->isReadOnly());
        EXPECT_TRUE(d.findChildren<QLineEdit*>().isEmpty());
    });
    history.CaseHistoryListBoxClick(rows.index(0));
}

TEST_F(CaseLists, AClosedCaseOpensReadOnlyAndReopensWithTheQuotesOfLiveNeeds) {
    Open(0);
    const std::string seq = caseSeq;
    const std::string number = OpenRows().At(0)->CaseNumber;
    // A live need and a deleted one, each with a quote, then the case closed.
    std::string liveQuote;
    std::string deletedQuote;
    {
        auto store = server.OpenStore();
        const std::int64_t live = store->Add("CaseNeeds", {{10, seq}, {15, "Walker"}});
        const std::int64_t deleted = store->Add("CaseNeeds", {{10, seq}, {5, "Y"}, {15, "Bed"}});
        liveQuote = std::to_string(store->Add("CaseNeedsQuote", {{10, std::to_string(live)}, {16, "C"}}));
        deletedQuote = std::to_string(store->Add("CaseNeedsQuote", {{10, std::to_string(deleted)}, {16, "C"}}));
        ASSERT_TRUE(store->Update("Cases", std::stoll(seq), {{18, "Y"}, {1002, ""}}));
    }
    main->ShowPanel("OpenCaseList");
    main->LoadOpenCaseList();
    main->LoadPreviousCaseList(false);
    cCaseListModel& closed = S().CaseListPrev->Rows();
    const int row = RowOfCase(closed, seq);
    ASSERT_GE(row, 0);
    S().CaseListPrev->PrevCasesListBoxClick(closed.index(row));
    EXPECT_TRUE(Shown("PreviousCaseEditPanel"));
    EXPECT_EQ(Label("PcCaseNumberLabel"), number);
    EXPECT_EQ(Label("CaseInfoLabel"), number);
    EXPECT_EQ(main->Case.PreviousCaseSeq, seq);

    // The check-list shown is the closed case's own.
    main->Case.CurrentCaseSeq = "1";
    dialogs.InDialog([&](QDialog&) {
        EXPECT_EQ(HealthDetailText(S().PatientHealthDetailNoEdit->Checklist().Detail()),
                  HealthDetailText(ParseHealthDetail("")));
    });
    S().PreviousCaseEdit->PcHealthDetailMemoClick();

    dialogs.Answer(QMessageBox::Cancel);
    QTest::keyClick(main->findChild<QWidget*>("ReopenCaseButton"), Qt::Key_Space);
    EXPECT_EQ(Field("Cases", seq, 18), "Y");

    dialogs.Answer(QMessageBox::Ok);
    S().PreviousCaseEdit->ReopenCaseButtonClick();
    EXPECT_EQ(Field("Cases", seq, 18), "");
    EXPECT_TRUE(Shown("OpenCasesListBox"));
    EXPECT_GE(RowOfCase(OpenRows(), seq), 0);
    EXPECT_EQ(Field("CaseNeedsQuote", liveQuote, 16), "N");
    EXPECT_EQ(Field("CaseNeedsQuote", deletedQuote, 16), "C");
}

}  // namespace
}  // namespace dalvero
