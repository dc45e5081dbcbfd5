#pragma once
// The four modal editors of the case screen's panels. Each reads the open
// case (and patient) when loaded; a failed read says so and the editor is not
// shown, so that its empty fields can never be saved over the record. Save
// writes only the fields the user changed, each with the value it was loaded
// with, and closes; a failed write keeps the editor open with the typing.

#include <memory>
#include <string>
#include <vector>

#include "case_dialog.h"
#include "string_list.h"

namespace Ui {
class TPatientAdmissionForm;
class TPatientEditDischargeForm;
class TPatientIdentificationEditForm;
class TPatientInfoEditForm;
}  // namespace Ui

namespace dalvero {

struct ClientSession;
struct MainWindowState;
struct OpenCase;
struct SignedInUser;
class cDateEdit;
class cDigitEdit;
class cPhoneEdit;
class cTimeEdit;

// "Edit Patient Identification Info": the number, names, address, phones, e-mail.
class TPatientIdentificationEditForm : public cCaseDialog {
    Q_OBJECT
public:
    explicit TPatientIdentificationEditForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TPatientIdentificationEditForm() override;
    bool Load();
    void SaveNewCaseImageButtonClick();
    // Leaving the number: anything but nine digits is refused and the last
    // valid number put back.
    bool PatientSSNEditExit();

protected:
    void DefaultAction() override { SaveNewCaseImageButtonClick(); }

private:
    // What the editor holds now, as "fN=value" items.
    StringList PatientValues() const;
    StringList CaseValues() const;

    std::vector<EditedRecord> EditedRecords() const override;
    // Fills the controls from the records (item n field n).
    void Show(const StringList& patient, const StringList& record);

    std::unique_ptr<Ui::TPatientIdentificationEditForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    cDigitEdit* ssn_;
    cPhoneEdit* phone_;
    cPhoneEdit* phone2_;
    QString lastValidSsn_;
    // The records as read, and what the editor showed of them when loaded.
    StringList patient_;
    StringList shownPatient_;
    StringList case_;
    StringList shownCase_;
};

// "Patient Admission Information": admission date, case number, room, bed.
class TPatientAdmissionForm : public cCaseDialog {
    Q_OBJECT
public:
    explicit TPatientAdmissionForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TPatientAdmissionForm() override;
    bool Load();
    void SaveNewCaseImageButtonClick();

protected:
    void DefaultAction() override { FocusNextField(); }

private:
    // What the editor holds now, as "fN=value" items.
    StringList CaseValues() const;

    std::vector<EditedRecord> EditedRecords() const override;
    // Fills the controls from the records (item n field n).
    void Show(const StringList& record);

    std::unique_ptr<Ui::TPatientAdmissionForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    cDateEdit* admitDate_;
    // The records as read, and what the editor showed of them when loaded.
    StringList case_;
    StringList shownCase_;
};

// "Edit Patient Information": birth date, height, weight, gender, marital
// status, ethnicity, language.
class TPatientInfoEditForm : public cCaseDialog {
    Q_OBJECT
public:
    explicit TPatientInfoEditForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TPatientInfoEditForm() override;
    bool Load();
    void SaveNewCaseImageButtonClick();

protected:
    void DefaultAction() override { SaveNewCaseImageButtonClick(); }

private:
    // What the editor holds now, as "fN=value" items.
    StringList PatientValues() const;
    StringList CaseValues() const;

    std::vector<EditedRecord> EditedRecords() const override;
    // Fills the controls from the records (item n field n).
    void Show(const StringList& patient, const StringList& record);

    std::unique_ptr<Ui::TPatientInfoEditForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    cDateEdit* birthday_;
    // The records as read, and what the editor showed of them when loaded.
    StringList patient_;
    StringList shownPatient_;
    StringList case_;
    StringList shownCase_;
};

// "Edit Patient Discharge Information": discharge date and time, case
// worker, insurances, how the patient left.
class TPatientEditDischargeForm : public cCaseDialog {
    Q_OBJECT
public:
    explicit TPatientEditDischargeForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TPatientEditDischargeForm() override;
    bool Load();
    void SaveNewCaseImageButtonClick();

protected:
    void DefaultAction() override { SaveNewCaseImageButtonClick(); }

private:
    // What the editor holds now, as "fN=value" items.
    StringList CaseValues() const;

    std::vector<EditedRecord> EditedRecords() const override;
    // Fills the controls from the records (item n field n).
    void Show(const StringList& record);

    std::unique_ptr<Ui::TPatientEditDischargeForm> ui;
    ClientSession& session_;
    SignedInUser& user_;
    OpenCase& open_;
    cDateEdit* date_;
    cTimeEdit* time_;
    // The records as read, and what the editor showed of them when loaded.
    StringList case_;
    StringList shownCase_;
};

}  // namespace dalvero
