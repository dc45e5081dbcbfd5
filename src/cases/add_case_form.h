#pragma once
// "Adding A New Case": finds the patient by Social Security number (filling
// what earlier cases know), and on saving adds the patient when new and then
// the case. The caller reads the results after the window closes. Typing
// not yet saved at the unattended logoff is kept for the logged-in person
// and offered back when they next open the window.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "case_dialog.h"
#include "string_list.h"

namespace Ui {
class TAddCaseForm;
}

namespace dalvero {

struct ClientSession;
struct MainWindowState;
struct OpenCase;
struct SignedInUser;
class cDateEdit;
class cDigitEdit;
class cPhoneEdit;

class TAddCaseForm : public cCaseDialog {
    Q_OBJECT
public:
    explicit TAddCaseForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TAddCaseForm() override;

    // Empties the window for a new case; a discharge planner finds themselves
    // chosen as case worker.
    void FormActivate();
    // After each edit of the number: looks the patient up once it has nine digits.
    void PatientSSNEditChange();
    void SaveNewCaseImageButtonClick();
    void CloseImageClick();

    bool CaseAdded = false;
    bool IsNewPatient = true;
    std::string PatientSeq;
    std::string CaseSeq;
    // The patient record found (item n is field n) or the values of the one added.
    StringList PatientValues;
    StringList CaseValues;
    std::string SsnDigits;
    // The patient's name as entered, for the main window's heading.
    std::string PatientName() const;

protected:
    // Enter never saves a half-filled case.
    void DefaultAction() override { FocusNextField(); }
    // The intake's typing, kept under the person and "new case" as the
    // patient's and the case's fields; none once the case was added.
    std::vector<EditedRecord> EditedRecords() const override;

private:
    void ClearEntries();
    void LookUpPatient();
    void LoadPreviousHistory();
    // The name of the first of gender, marital status and ethnicity not
    // chosen; empty when all are.
    std::string MissingChoice() const;
    StringList NewCaseValues() const;
    // What the window shows as "fN=value" items of the patient's and the
    // case's fields, as kept and given back by ShowEntries (item n field n).
    StringList PatientEntries() const;
    StringList CaseEntries() const;
    void ShowEntries(const std::vector<StringList>& records);
    // Fills the address, phones, e-mail, choices and language from a case's
    // fields, as an earlier case or the kept typing holds them.
    void ShowContactEntries(const std::function<std::string(int)>& field);

    std::unique_ptr<Ui::TAddCaseForm> ui;
    ClientSession& session_;
    SignedInUser& user_;
    OpenCase& open_;
    cDigitEdit* ssn_;
    cPhoneEdit* phone_;
    cPhoneEdit* phone2_;
    cDateEdit* birthday_;
    // What the fields show came from a found patient's record.
    bool filledFromRecord_ = false;
    // The digits of the last look-up the server answered (found or not);
    // empty while none did.
    std::string lookedUpSsn_;
    // PatientEntries and CaseEntries of the emptied window.
    StringList emptyPatient_;
    StringList emptyCase_;
};

}  // namespace dalvero
