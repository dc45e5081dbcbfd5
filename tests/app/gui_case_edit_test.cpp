// The case screen on the demo server: the panel editors and the labels they
// change, an empty case, Close Case with a notes edit pending, and the health
// check-list saved on leaving it and cleared between cases.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "case_edit_form.h"
#include "control_text.h"
#include "field_conflict_form.h"
#include "field_tag.h"
#include "gui_keyboard.h"
#include "gui_planner_fixture.h"
#include "health_checklist.h"
#include "health_checklist_view.h"
#include "health_detail_forms.h"
#include "patient_editors.h"

namespace dalvero {
namespace {

class CaseEdit : public test::PlannerOnDemoServer {
protected:
    StringList Case(const std::string& seq) const { return Record("Cases", seq); }
    // The editor's window is up and the main window dimmed behind it.
    void ExpectDimmed() {
        EXPECT_FALSE(Shown("CloseCaseImageButton"));
        EXPECT_EQ(main->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
    }
};

TEST_F(CaseEdit, EachEditorWritesItsFieldsAndTheLabelsFollow) {
    const std::string seq = OpenCase(0);
    const std::string room = Case(seq)[14];

    dialogs.InDialog([&](QDialog& d) {
        ExpectDimmed();
        Named<QLineEdit>(d, "AdmitDateEdit")->setText("03/07/2024");
        Named<QLineEdit>(d, "CaseNumberEdit")->setText("C-77");
        Named<QLineEdit>(d, "BedEdit")->clear();
        test::Activate(&d);
        // Enter moves on here and writes nothing; Alt+S saves.
        QLineEdit* roomEdit = Named<QLineEdit>(d, "RoomEdit");
        roomEdit->setFocus();
        roomEdit->setText("12");
        QTest::keyClick(roomEdit, Qt::Key_Return);
        EXPECT_EQ(d.focusWidget(), Named<QLineEdit>(d, "BedEdit"));
        EXPECT_EQ(Case(seq)[14], room);
        QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    S().CaseEdit->Shape7MouseDown();
    StringList c = Case(seq);
    EXPECT_EQ(c[14], "12");
    EXPECT_EQ(c[12], "20240307");
    EXPECT_EQ(c[22], "C-77");
    EXPECT_EQ(Label("AdmitDateLabel"), "03/07/2024");
    EXPECT_EQ(Label("RoomLabel"), "12");
    EXPECT_EQ(Label("CaseInfoLabel"), "C-77");
    EXPECT_EQ(main->palette().color(QPalette::Window), QColor(Qt::white));

    const std::string insurance = c[19];
    dialogs.InDialog([&](QDialog& d) {
        Named<QLineEdit>(d, "DischargeDateEdit")->setText("03/07/2024");
        Named<QLineEdit>(d, "DischargeTimeEdit")->setText("14:05");
        Named<QComboBox>(d, "PrimaryInsDropdown")->setCurrentIndex(-1);
        Named<QRadioButton>(d, "FamilyMemberCB")->setChecked(true);
        Named<QLineEdit>(d, "ExplainEdit")->setText("son");
        QTest::keyClick(&d, Qt::Key_Return);
    });
    S().CaseEdit->DischargeEditShapeMouseDown();
    c = Case(seq);
    EXPECT_EQ(c[13], "20240307140500");
    EXPECT_EQ(c[19], insurance);  // no choice: left out of the update
    EXPECT_EQ(c[44], "2");
    EXPECT_EQ(Label("DischargeDateLabel"), "03/07/2024 2:05 PM");
    EXPECT_EQ(Label("LeftWithLabel"), "Left with family member (son)");

    // No time is midnight, not a half value.
    dialogs.InDialog([&](QDialog& d) {
        Named<QLineEdit>(d, "DischargeTimeEdit")->clear();
        QTest::keyClick(&d, Qt::Key_Return);
    });
    S().CaseEdit->DischargeEditShapeMouseDown();
    EXPECT_EQ(Case(seq)[13], "20240307000000");

    dialogs.Answer(QMessageBox::Ok);
    dialogs.InDialog([&](QDialog& d) {
        QLineEdit* ssn = Named<QLineEdit>(d, "PatientSSNEdit");
        const QString valid = ssn->text();
        EXPECT_EQ(valid.size(), 11);
        // A number cut short is refused on leaving it and the valid one put back.
        QTest::keyClick(ssn, Qt::Key_Backspace);
        static_cast<TPatientIdentificationEditForm&>(d).PatientSSNEditExit();
        EXPECT_EQ(dialogs.shown.back().text, "The SSN is not 9 numbers");
        EXPECT_EQ(ssn->text(), valid);
        Named<QLineEdit>(d, "PatientMiddleNameEdit")->setText("Q");
        QLineEdit* phone = Named<QLineEdit>(d, "PatientPhoneEdit");
        phone->clear();
        QTest::keyClicks(phone, "5551234");
        QTest::keyClick(&d, Qt::Key_Return);
    });
    S().CaseEdit->Shape1MouseDown();
    EXPECT_EQ(Case(seq)[39], "5551234");
    EXPECT_EQ(Label("Phone1Label"), "5551234");  // no whole number: as stored
    EXPECT_NE(Label("PatientNameLabel").find(" Q "), std::string::npos);

    dialogs.InDialog([&](QDialog& d) {
        Named<QComboBox>(d, "PatientGenderEdit")->setCurrentText("F");
        Named<QComboBox>(d, "PatientMaritalStatusEdit")->setCurrentText("M");
        Named<QComboBox>(d, "LanguageComboBox")->setCurrentText("Spanish");
        Named<QLineEdit>(d, "HeightEdit")->setText("5'4\"");
        QTest::keyClick(&d, Qt::Key_Return);
    });
    S().CaseEdit->Shape5MouseDown();
    c = Case(seq);
    EXPECT_EQ(c[30], "F");
    EXPECT_EQ(c[42], "SPA");
    EXPECT_EQ(Label("GenderLabel"), "Female, Married");
    EXPECT_EQ(Label("LanguageLabel"), "Spanish");
    EXPECT_EQ(Label("HeightLabel"), "5'4\"");
    EXPECT_FALSE(Label("CaseWorkerLabel").empty());
}

TEST_F(CaseEdit, AnEmptyCaseShowsEmptyLabels) {
    OpenCase(0);
    const std::string empty = AddRecord(*session.DataServer, "Cases", {"f10=" + main->Case.CurrentPatientSeq});
    ASSERT_FALSE(empty.empty());
    main->Case.CurrentCaseSeq = empty;
    S().CaseEdit->FillCaseForm();
    for (const char* name : {"AdmitDateLabel", "RoomLabel", "DischargeDateLabel", "CaseWorkerLabel",
                             "PrimaryInsuranceLabel", "GenderLabel", "LanguageLabel", "LeftWithLabel", "Phone1Label"})
        EXPECT_EQ(Label(name), "") << name;
    EXPECT_EQ(Label("StateZipLabel"), "  ");
    EXPECT_EQ(Label("CaseInfoLabel"), empty);  // no case number: the Seq
}

TEST_F(CaseEdit, CloseCaseSavesThePendingNotesAndCancelsTheOpenQuotes) {
    // A case with quotes.
    int row = 0;
    std::vector<std::string> quoteSeqs;
    for (; row < OpenRows().rowCount() && quoteSeqs.empty(); ++row)
        for (const auto& [need, unused] : Listed("CaseNeeds", "L2", OpenRows().At(row)->Seq, 1))
            for (const auto& [quote, status] : Listed("CaseNeedsQuote", "L2", need, 14)) quoteSeqs.push_back(quote);
    ASSERT_FALSE(quoteSeqs.empty());
    const std::string seq = OpenCase(row - 1);

    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " Ready to go home.");
    const std::string typed = memo->toPlainText().toStdString();
    dialogs.Answer(QMessageBox::Cancel);
    S().CaseEdit->CloseCaseImageButtonClick();
    EXPECT_NE(Case(seq)[18], "Y");
    EXPECT_EQ(main->Case.EditMode, 1);

    dialogs.Answer(QMessageBox::Ok);
    S().CaseEdit->CloseCaseImageButtonClick();
    EXPECT_EQ(dialogs.shown.back().text, "Are you sure you want to close this case?");
    EXPECT_EQ(Case(seq)[18], "Y");
    EXPECT_EQ(Note("Cases", seq, "f1001"), typed);
    for (const std::string& quote : quoteSeqs) EXPECT_EQ(Field("CaseNeedsQuote", quote, 16), "C") << quote;
    EXPECT_EQ(main->Case.EditMode, 0);
    EXPECT_TRUE(main->HostedPanel("OpenCaseList")->isVisibleTo(main.get()));
    EXPECT_EQ(RowOfCase(OpenRows(), seq), -1);
}

TEST_F(CaseEdit, ChecklistRoundTripsHostileTextAndNeverCarriesTicksToTheNextCase) {
    OpenCase(0);
    const std::string caseA = main->Case.CurrentCaseSeq;
    TPatientHealthDetailForm& form = *S().PatientHealthDetail;
    cHealthChecklistView& view = form.Checklist();
    main->ShowPanel("PatientHealthDetail");

    // The entry rules: N/A clears its group, any other entry unticks N/A.
    auto* bladderNA = Named<QRadioButton>(view, "BladderNARadioButton");
    QLineEdit* bladderOther = Named<QLineEdit>(view, "BladderOther");
    QTest::keyClicks(bladderOther, "true");
    bladderNA->click();
    EXPECT_TRUE(bladderOther->text().isEmpty());
    EXPECT_TRUE(bladderNA->font().bold());
    QTest::keyClicks(bladderOther, "true");
    EXPECT_FALSE(bladderNA->isChecked());

    const std::string hostile[] = {"{x}", "say \"null\" \\ back", "a||b, c:d", "Zoë 東京"};
    Named<QCheckBox>(view, "Vision1")->click();
    Named<QLineEdit>(view, "VisionOther")->setText(QString::fromStdString(hostile[0]));
    QPlainTextEdit* allergies = Named<QPlainTextEdit>(view, "AllergiesMemo");
    allergies->setPlainText(QString::fromStdString(hostile[1]) + "\nline two");
    auto* grid = Named<QTableWidget>(view, kPrescriptionsGrid);
    grid->setItem(0, 0, new QTableWidgetItem(QString::fromStdString(hostile[2])));
    grid->setItem(0, 5, new QTableWidgetItem(QString::fromStdString(hostile[3])));
    // A note past its limit is cut there, and the user told.
    dialogs.Answer(QMessageBox::Ok);
    QPlainTextEdit* wounds = Named<QPlainTextEdit>(view, "WoundsMemo");
    wounds->setPlainText(QString(7000, u'x'));
    EXPECT_EQ(dialogs.shown.back().caption, "Note too long");
    EXPECT_EQ(wounds->toPlainText().size(), 6000);
    const HealthDetail typed = view.Detail();
    main->ShowPanel("CaseEdit");  // leaving the panel saves

    const HealthDetail stored = ParseHealthDetail(Note("Cases", caseA, "f1002"));
    EXPECT_EQ(stored.values, typed.values);
    EXPECT_EQ(stored.grid, typed.grid);
    EXPECT_EQ(stored.Value("BladderOther"), "true");
    EXPECT_EQ(stored.Value("AllergiesMemo"), hostile[1] + "\r\nline two");
    EXPECT_EQ(stored.grid[1][1], hostile[2]);

    // Case B shows only its own entries, and leaving it stores none of A's.
    const std::string caseB = AddRecord(*session.DataServer, "Cases", {"f10=" + main->Case.CurrentPatientSeq});
    main->Case.CurrentCaseSeq = caseB;
    form.LoadHealthDetail();
    EXPECT_FALSE(Named<QCheckBox>(view, "Vision1")->isChecked());
    EXPECT_TRUE(view.Detail().values.empty());
    main->ShowPanel("PatientHealthDetail");
    main->ShowPanel("CaseEdit");
    EXPECT_EQ(Note("Cases", caseB, "f1002"), "");
    main->Case.CurrentCaseSeq = caseA;
    form.LoadHealthDetail();
    EXPECT_EQ(view.Detail().values, typed.values);

    TPatientHealthDetailNoEditForm& readOnly = *S().PatientHealthDetailNoEdit;
    ASSERT_TRUE(readOnly.Load(caseA));
    EXPECT_EQ(readOnly.Checklist().Detail().grid, typed.grid);
    EXPECT_TRUE(Named<QLineEdit>(readOnly.Checklist(), "VisionOther")->isReadOnly());
}

TEST_F(CaseEdit, InfoEditorWritesOnlyWhatChangedAndShowsStoredValuesOutsideItsLists) {
    const std::string seq = OpenCase(0);
    const std::string patient = main->Case.CurrentPatientSeq;
    const auto store = server.OpenStore();
    ASSERT_TRUE(store->Update("Cases", std::stoll(seq), {{30, "X"}, {32, "Widowed"}, {33, "Other-7"}}));
    ASSERT_TRUE(store->Update("Patients", std::stoll(patient), {{14, "1941"}}));
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(Named<QComboBox>(d, "PatientGenderEdit")->currentText(), "X");
        EXPECT_EQ(Named<QComboBox>(d, "PatientMaritalStatusEdit")->currentText(), "Widowed");
        Named<QLineEdit>(d, "WeightEdit")->setText("150");
        QTest::keyClick(&d, Qt::Key_Return);
    });
    S().CaseEdit->Shape5MouseDown();
    const StringList c = Case(seq);
    EXPECT_EQ(c[17], "150");
    EXPECT_EQ(c[30], "X");
    EXPECT_EQ(c[32], "Widowed");
    EXPECT_EQ(c[33], "Other-7");
    EXPECT_EQ(Field("Patients", patient, 14), "1941");
}

TEST_F(CaseEdit, TwoPlannersOnOneFieldChooseInsteadOfOverwriting) {
    const std::string seq = OpenCase(0);
    const auto colleague = server.ConnectData("Dalvero", true, &DemoUser("Discharge Planner"));
    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    const std::string before = ControlText(memo);

    // Her sentence lands while this planner types his.
    ASSERT_TRUE(UpdateRecord(*colleague, "Cases", seq, {"f1001=" + before + " Theirs."}));
    SetControlText(memo, before + " Mine.");
    SetFieldChanged(memo, true);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(ControlText(Named<QPlainTextEdit>(d, "TheirsEdit")), before + " Theirs.");
        EXPECT_EQ(ControlText(Named<QPlainTextEdit>(d, "MineEdit")), before + " Mine.");
        SetControlText(Named<QPlainTextEdit>(d, "MergedEdit"), before + " Theirs. Mine.");
        static_cast<TFieldConflictForm&>(d).SaveMergedButtonClick();
    });
    main->CaseFieldExit(memo);
    EXPECT_EQ(Note("Cases", seq, "f1001"), before + " Theirs. Mine.");
    EXPECT_EQ(ControlText(memo), before + " Theirs. Mine.");
    EXPECT_FALSE(IsFieldChanged(memo));

    // An editor: her room stays when he takes hers; his bed, which she did
    // not touch, is written.
    dialogs.InDialog([&](QDialog& d) {
        ASSERT_TRUE(UpdateRecord(*colleague, "Cases", seq, {"f14=Her room"}));
        Named<QLineEdit>(d, "RoomEdit")->setText("His room");
        Named<QLineEdit>(d, "BedEdit")->setText("B2");
        dialogs.InDialog([](QDialog& conflict) { static_cast<TFieldConflictForm&>(conflict).TakeTheirsButtonClick(); });
        static_cast<TPatientAdmissionForm&>(d).SaveNewCaseImageButtonClick();
    });
    S().CaseEdit->Shape7MouseDown();
    const StringList c = Case(seq);
    EXPECT_EQ(c[14], "Her room");
    EXPECT_EQ(c[15], "B2");

    // The check-list: her entries land while he ticks; he takes hers and sees them.
    main->ShowPanel("PatientHealthDetail");
    cHealthChecklistView& view = S().PatientHealthDetail->Checklist();
    HealthDetail hers;
    hers.values["VisionOther"] = "Her glasses";
    ASSERT_TRUE(UpdateRecord(*colleague, "Cases", seq, {"f1002=" + HealthDetailText(hers)}));
    Named<QCheckBox>(view, "Vision1")->click();
    dialogs.InDialog([](QDialog& conflict) { static_cast<TFieldConflictForm&>(conflict).TakeTheirsButtonClick(); });
    main->ShowPanel("CaseEdit");
    EXPECT_EQ(ParseHealthDetail(Note("Cases", seq, "f1002")).values, hers.values);
    EXPECT_EQ(view.Detail().values, hers.values);
}

TEST_F(CaseEdit, IdleLogoffKeepsAnEditorsUnsavedChangesAndOffersThemBack) {
    const std::string seq = OpenCase(0);
    const std::string bed = Case(seq)[15];
    const auto logoff = [&](QDialog& d) {
        IdleLogoff();
        EXPECT_FALSE(d.isVisible());
    };
    dialogs.InDialog([&](QDialog& d) {
        Named<QLineEdit>(d, "RoomEdit")->setText("Room 12");
        logoff(d);
    });
    S().CaseEdit->Shape7MouseDown();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(terminations, 1);
    EXPECT_NE(Case(seq)[14], "Room 12");

    // Offered back and written by Save; what was not typed stays as stored.
    dialogs.Answer(QMessageBox::Yes);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(Named<QLineEdit>(d, "RoomEdit")->text(), "Room 12");
        static_cast<TPatientAdmissionForm&>(d).SaveNewCaseImageButtonClick();
    });
    S().CaseEdit->Shape7MouseDown();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Recovered Text");
    EXPECT_EQ(Case(seq)[14], "Room 12");
    EXPECT_EQ(Case(seq)[15], bed);

    // A list editor's open row is kept the same way and offered back on the row.
    dialogs.shown.clear();
    const std::string link = S().CaseEdit->SubList(CaseSubList::kPhysicians).At(0)->Seq;
    dialogs.InDialog([&](QDialog& d) {
        auto* list = Named<QListView>(d, "DoctorListBox");
        list->setCurrentIndex(list->model()->index(0, 0));
        emit list->clicked(list->model()->index(0, 0));
        Named<QLineEdit>(d, "SpecialtyEdit")->setText("Wound care");
        logoff(d);
    });
    S().CaseEdit->PhysicianListBoxMouseDown();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(terminations, 2);
    dialogs.Answer(QMessageBox::Yes);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_TRUE(Named<QWidget>(d, "SelectedEditPanel")->isVisible());
        EXPECT_EQ(Named<QLineEdit>(d, "SpecialtyEdit")->text(), "Wound care");
        QTest::mouseClick(Named<QLabel>(d, "SaveButton"), Qt::LeftButton);
    });
    S().CaseEdit->PhysicianListBoxMouseDown();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(Field("CaseDoctorsLink", link, 13), "Wound care");

    // Typing for records not yet added is kept too, and given back unsaved.
    dialogs.shown.clear();
    const int contacts = S().CaseEdit->SubList(CaseSubList::kFamily).rowCount();
    dialogs.InDialog([&](QDialog& d) {
        QTest::mouseClick(Named<QLabel>(d, "AddFamilyButton"), Qt::LeftButton);
        Named<QLineEdit>(d, "FirstNameEdit")->setText("Aunt May");
        logoff(d);
    });
    S().CaseEdit->FamilyListBoxMouseDown();
    dialogs.InDialog([&](QDialog& d) {
        Named<QLineEdit>(d, "PatientLastNameEdit")->setText("Kept-Intake");
        Named<QComboBox>(d, "PatientGenderEdit")->setCurrentIndex(1);
        logoff(d);
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    EXPECT_TRUE(dialogs.shown.empty());
    dialogs.Answer(QMessageBox::Yes);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_TRUE(Named<QLabel>(d, "DeleteButton")->isHidden());
        EXPECT_EQ(Named<QLineEdit>(d, "FirstNameEdit")->text(), "Aunt May");
        d.reject();
    });
    S().CaseEdit->FamilyListBoxMouseDown();
    EXPECT_EQ(S().CaseEdit->SubList(CaseSubList::kFamily).rowCount(), contacts);
    dialogs.Answer(QMessageBox::Yes);
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(Named<QLineEdit>(d, "PatientLastNameEdit")->text(), "Kept-Intake");
        EXPECT_EQ(Named<QComboBox>(d, "PatientGenderEdit")->currentIndex(), 1);
        d.reject();
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].caption, "Recovered Text");
    // Taken once: the next intake starts empty and asks nothing.
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_TRUE(Named<QLineEdit>(d, "PatientLastNameEdit")->text().isEmpty());
        d.reject();
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(CaseEdit, ACaseAColleagueClosedTakesNoChangesAndSaysWhoClosedIt) {
    const std::string seq = OpenCase(0);
    const auto colleague = server.ConnectData("Dalvero", true, &DemoUser("Discharge Planner"));
    ASSERT_TRUE(UpdateRecord(*colleague, "Cases", seq, {"f18=Y"}));
    const std::string closed = "This case was closed by " + session.UserField(11) + " " + session.UserField(13) +
                               "; it takes no changes until it is reopened.";

    QPlainTextEdit* memo = S().CaseEdit->CaseDiagnosisMemo();
    SetControlText(memo, "Typed after the close.");
    SetFieldChanged(memo, true);
    dialogs.Answer(QMessageBox::Ok);
    main->CaseFieldExit(memo);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "This change could not be saved: " + closed +
                                         "\nYour text is kept and offered again when this record is next opened.");
    EXPECT_TRUE(AddRecord(*colleague, "CaseNeeds", {"f10=" + seq}).empty());
    EXPECT_EQ(colleague->ErrorText, closed);

    ASSERT_TRUE(UpdateRecord(*colleague, "Cases", seq, {"f18="}));
    EXPECT_FALSE(AddRecord(*colleague, "CaseNeeds", {"f10=" + seq}).empty());
}

}  // namespace
}  // namespace dalvero
