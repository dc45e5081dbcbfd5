// "Enter New Case" on the demo server: a new patient typed, a known patient
// pasted, choices checked before anything is written, a retry after a
// failed case add that adds the patient once only, and Enter that moves on
// in the intake window.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "add_case_form.h"
#include "case_edit_form.h"
#include "gui_keyboard.h"
#include "gui_planner_fixture.h"
#include "patient_editors.h"
#include "sqlite_connection.h"

namespace dalvero {
namespace {

class CaseIntake : public test::PlannerOnDemoServer {
protected:
    static std::string Text(QDialog& d, const char* name) { return Named<QLineEdit>(d, name)->text().toStdString(); }
    // The patients stored under a number.
    int PatientsWithSsn(const std::string& ssn) {
        cRecordBatch batch;
        if (!batch.Query(session.DataServer.get(), "Patients", "L3", ssn, "", 0, 100, "f13", "", "f13=" + ssn, "F"))
            return 0;
        return static_cast<int>(batch.Set->Records.size());
    }
    // A new patient's entries, all choices made.
    static void FillNewPatient(QDialog& d) {
        Named<QLineEdit>(d, "PatientFirstNameEdit")->setText("Nora");
        Named<QLineEdit>(d, "PatientLastNameEdit")->setText("Quill");
        Named<QLineEdit>(d, "PatientBirthdayEdit")->setText("04/05/1941");
        QTest::keyClicks(Named<QLineEdit>(d, "PatientPhoneEdit"), "8005551234");
        Named<QComboBox>(d, "PatientGenderEdit")->setCurrentIndex(1);
        Named<QComboBox>(d, "PatientMaritalStatusEdit")->setCurrentIndex(0);
        Named<QComboBox>(d, "PatientEthnicityEdit")->setCurrentIndex(2);
    }
};

TEST_F(CaseIntake, NewPatientTypedThenShownOnTheCaseScreen) {
    const std::string ssn = "987650001";
    dialogs.InDialog([&](QDialog& d) {
        auto& form = static_cast<TAddCaseForm&>(d);
        // A planner finds themselves chosen as case worker.
        const std::string me = session.UserField(11) + " " + session.UserField(13);
        EXPECT_EQ(Named<QComboBox>(d, "CaseWorkerDropDown")->currentText().toStdString(), me);
        EXPECT_EQ(Named<QComboBox>(d, "LanguageComboBox")->currentIndex(), -1);
        QTest::keyClicks(Named<QLineEdit>(d, "PatientSSNEdit"), QString::fromStdString(ssn) + "5");
        EXPECT_EQ(Text(d, "PatientSSNEdit"), "987-65-0001");
        EXPECT_TRUE(form.IsNewPatient);
        EXPECT_FALSE(Named<QWidget>(d, "PrevCaseHistoryPanel")->isVisibleTo(&d));
        FillNewPatient(d);
        Named<QComboBox>(d, "LanguageComboBox")->setCurrentText("Spanish");
        form.SaveNewCaseImageButtonClick();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    S().CaseList->EnterNewCaseButtonImageClick();

    ASSERT_FALSE(main->Case.CurrentCaseSeq.empty());
    EXPECT_EQ(PatientsWithSsn(ssn), 1);
    const StringList c = Record("Cases", main->Case.CurrentCaseSeq);
    EXPECT_EQ(c[10], main->Case.CurrentPatientSeq);
    EXPECT_EQ(c[39], "8005551234");  // digits, as every screen stores them
    EXPECT_EQ(c[30], "F");
    EXPECT_EQ(c[42], "SPA");
    EXPECT_EQ(c[23], session.UserField(1));
    EXPECT_EQ(Field("Patients", main->Case.CurrentPatientSeq, 14), "19410405");
    EXPECT_EQ(main->Case.EditMode, 1);
    EXPECT_EQ(main->Case.CurrentCaseNumber, main->Case.CurrentCaseSeq);
    EXPECT_EQ(main->findChild<QLabel*>("PatientInfoLabel")->text(), "Nora Quill");
    EXPECT_TRUE(main->HostedPanel("CaseEdit")->isVisibleTo(main.get()));
}

TEST_F(CaseIntake, KnownPatientPastedFillsFromTheNewestCaseAndAddsOnlyTheCase) {
    const cCaseObject& known = *S().CaseList->Rows().At(0);
    const std::string ssn = Field("Patients", known.PatientSeq, 13);
    ASSERT_EQ(ssn.size(), 9u);
    cRecordBatch cases;
    ASSERT_TRUE(cases.Query(session.DataServer.get(), "Cases", "L2", known.PatientSeq, "", 0, 10, "f34", "", "", "L"));
    ASSERT_TRUE(cases.Set->First());
    const std::string newestStreet = cases.Set->ReadField(34);

    dialogs.InDialog([&](QDialog& d) {
        auto& form = static_cast<TAddCaseForm&>(d);
        QGuiApplication::clipboard()->setText(QString::fromStdString(ssn));
        QTest::keySequence(Named<QLineEdit>(d, "PatientSSNEdit"), QKeySequence::Paste);
        EXPECT_EQ(Text(d, "PatientSSNEdit").size(), 11u);
        EXPECT_FALSE(form.IsNewPatient);
        EXPECT_EQ(form.PatientSeq, known.PatientSeq);
        EXPECT_EQ(Text(d, "PatientFirstNameEdit"), known.FirstName);
        EXPECT_EQ(Text(d, "PatientStreetEdit"), newestStreet);
        EXPECT_TRUE(Named<QWidget>(d, "PrevCaseHistoryPanel")->isVisibleTo(&d));
        EXPECT_EQ(Named<QTreeWidget>(d, "PreviousHistoryListBox")->topLevelItemCount(),
                  static_cast<int>(cases.Set->Records.size()));
        // Choices the earlier case left open are made here.
        for (const char* name : {"PatientGenderEdit", "PatientMaritalStatusEdit", "PatientEthnicityEdit"})
            if (Named<QComboBox>(d, name)->currentIndex() < 0) Named<QComboBox>(d, name)->setCurrentIndex(0);
        form.SaveNewCaseImageButtonClick();
    });
    S().CaseList->EnterNewCaseButtonImageClick();

    EXPECT_EQ(PatientsWithSsn(ssn), 1);
    ASSERT_FALSE(main->Case.CurrentCaseSeq.empty());
    EXPECT_EQ(Field("Cases", main->Case.CurrentCaseSeq, 10), known.PatientSeq);
    EXPECT_EQ(main->findChild<QLabel*>("PatientInfoLabel")->text().toStdString(),
              known.FirstName + " " + known.LastName);
}

TEST_F(CaseIntake, MissingChoiceWritesNothingAndRetryAfterAFailedCaseAddKeepsOnePatient) {
    const std::string ssn = "987650002";
    server::SqliteConnection db((server.DataDir() / "dalvero.db").string());
    dialogs.Answer(QMessageBox::Ok);  // the missing choice
    dialogs.Answer(QMessageBox::Ok);  // the failed case add
    dialogs.InDialog([&](QDialog& d) {
        auto& form = static_cast<TAddCaseForm&>(d);
        QTest::keyClicks(Named<QLineEdit>(d, "PatientSSNEdit"), QString::fromStdString(ssn));
        FillNewPatient(d);
        Named<QComboBox>(d, "PatientMaritalStatusEdit")->setCurrentIndex(-1);
        form.SaveNewCaseImageButtonClick();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "Please choose the patient's Marital Status.");
        EXPECT_EQ(PatientsWithSsn(ssn), 0);

        Named<QComboBox>(d, "PatientMaritalStatusEdit")->setCurrentIndex(1);
        db.Execute("CREATE TRIGGER refuse_cases BEFORE INSERT ON \"Cases\" BEGIN SELECT RAISE(ABORT, 'full'); END");
        form.SaveNewCaseImageButtonClick();
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(dialogs.shown[1].text, "Failed to add case record");
        EXPECT_FALSE(form.CaseAdded);
        EXPECT_EQ(PatientsWithSsn(ssn), 1);

        db.Execute("DROP TRIGGER refuse_cases");
        form.SaveNewCaseImageButtonClick();
        EXPECT_TRUE(form.CaseAdded);
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    EXPECT_EQ(PatientsWithSsn(ssn), 1);
    EXPECT_EQ(Field("Cases", main->Case.CurrentCaseSeq, 10), main->Case.CurrentPatientSeq);
}

TEST_F(CaseIntake, EnterMovesOnAndNeverSavesSaveIsAClickOrAltS) {
    const std::string ssn = "987650003";
    dialogs.InDialog([&](QDialog& d) {
        auto& form = static_cast<TAddCaseForm&>(d);
        auto* first = Named<QLineEdit>(d, "PatientFirstNameEdit");
        first->setFocus();
        QTest::keyClicks(first, "Ada");
        QTest::keyClick(first, Qt::Key_Return);  // a save here would ask for the missing choices
        EXPECT_NE(d.focusWidget(), first);
        auto* gender = Named<QComboBox>(d, "PatientGenderEdit");
        gender->setFocus();
        QTest::keyClick(gender, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_NE(d.focusWidget(), gender);
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(d.isVisible());

        QTest::keyClicks(Named<QLineEdit>(d, "PatientSSNEdit"), QString::fromStdString(ssn));
        FillNewPatient(d);
        test::Activate(&d);
        QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
        EXPECT_TRUE(form.CaseAdded);
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    EXPECT_EQ(PatientsWithSsn(ssn), 1);
}

TEST_F(CaseIntake, TheSameNumberPastedIntoTheNextIntakeFindsThePatientItAdded) {
    const std::string ssn = "987650003";
    QGuiApplication::clipboard()->setText(QString::fromStdString(ssn));
    const auto intake = [&](bool expectNew) {
        dialogs.InDialog([&, expectNew](QDialog& d) {
            auto& form = static_cast<TAddCaseForm&>(d);
            QTest::keySequence(Named<QLineEdit>(d, "PatientSSNEdit"), QKeySequence::Paste);
            EXPECT_EQ(form.IsNewPatient, expectNew);
            FillNewPatient(d);
            form.SaveNewCaseImageButtonClick();
            EXPECT_TRUE(form.CaseAdded);
        });
        S().CaseList->EnterNewCaseButtonImageClick();
    };
    intake(true);
    const std::string patient = main->Case.CurrentPatientSeq;
    intake(false);
    EXPECT_EQ(PatientsWithSsn(ssn), 1);
    EXPECT_EQ(Field("Cases", main->Case.CurrentCaseSeq, 10), patient);
}

TEST_F(CaseIntake, SaveAddsNoPatientWhileTheLookUpHasNotAnswered) {
    dialogs.Answer(QMessageBox::Ok);
    dialogs.InDialog([&](QDialog& d) {
        auto& form = static_cast<TAddCaseForm&>(d);
        server.Stop();
        QTest::keyClicks(Named<QLineEdit>(d, "PatientSSNEdit"), "987650004");
        FillNewPatient(d);
        form.SaveNewCaseImageButtonClick();
        EXPECT_FALSE(form.CaseAdded);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "The patient could not be looked up: the data server cannot be reached.");
        server.Resume();
        form.SaveNewCaseImageButtonClick();
        EXPECT_TRUE(form.CaseAdded);
    });
    S().CaseList->EnterNewCaseButtonImageClick();
    EXPECT_EQ(PatientsWithSsn("987650004"), 1);
}

}  // namespace
}  // namespace dalvero
