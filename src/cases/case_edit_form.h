#pragma once
// The case edit screen: the overview of the open case. Its panel
// "CaseEdit" shows the case's physicians, family contacts, diagnosis and
// treatment codes, and the diagnosis notes, saved as they are left.

#include <QWidget>

#include <array>
#include <memory>

#include "case_queries.h"
#include "screen_content.h"

class QLabel;
class QPlainTextEdit;

namespace Ui {
class TCaseEditForm;
}

namespace dalvero {

class MainWindowState;
class cItemListModel;

class TCaseEditForm : public QWidget {
    Q_OBJECT
public:
    explicit TCaseEditForm(MainWindowState& main);
    ~TCaseEditForm() override;

    QWidget* Panel() const;
    cItemListModel& SubList(CaseSubList which) const;
    QPlainTextEdit* CaseDiagnosisMemo() const;
    QLabel* SaveNewCaseImageButton() const;

    // Reads the open case (CurrentCaseSeq) into PatientValues, the main
    // window's case information and the bound controls, and offers back
    // text of the case kept in recovery files. A failed read empties the
    // screen and says so (LoadFailed); false then.
    bool FillCaseForm();
    // Empties the screen and the case information, tells the user, and
    // keeps the bound controls from writing until the next load.
    void LoadFailed();
    // The case the bound controls show and write to; empty when none.
    const std::string& LoadedCaseSeq() const { return content_.LoadedSeq(); }
    // What the screen shows of a case; a screen showing a case that was
    // not read by FillCaseForm marks it Loaded.
    cScreenContent& Content() { return content_; }
    // How the screen looks when the user goes back to the case list: the
    // controls of a case being edited, not of one being added.
    void ShowEditControls();
    // Marks a bound control changed when the user modifies it.
    void AttachChangeHandler(QWidget* control);

private:
    std::unique_ptr<Ui::TCaseEditForm> ui;
    MainWindowState& main_;
    std::array<cItemListModel*, 4> subLists_{};
    cScreenContent content_;
};

}  // namespace dalvero
