#pragma once
// The case edit screen: the overview of the open case. Its panel "CaseEdit"
// shows the patient's identification and information, the admission and
// discharge, the diagnosis notes (saved as they are left) and the case's
// physicians, family contacts, diagnosis and treatment codes. A click on a
// panel opens its editor; Close Case closes the case.

#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "case_queries.h"
#include "item_list_model.h"
#include "screen_content.h"

class QLabel;
class QPlainTextEdit;

namespace Ui {
class TCaseEditForm;
}

namespace dalvero {

struct CaseFieldSaves;
struct ClientSession;
struct MainWindowState;
struct OpenCase;
class cCaseDialog;
class cCaseScreens;
class cSubListEditor;
class cWorkspaceActions;

class TCaseEditForm : public QWidget {
    Q_OBJECT
public:
    TCaseEditForm(MainWindowState& main, cCaseScreens& screens);
    ~TCaseEditForm() override;

    QWidget* Panel() const;
    cItemListModel& SubList(CaseSubList which) const;
    // What the sub-list shows when it has no rows or could not be read.
    cListState& SubListState(CaseSubList which) const;
    QPlainTextEdit* CaseDiagnosisMemo() const;
    QLabel* SaveNewCaseImageButton() const;

    // Reads the open case (CurrentCaseSeq) into CaseFieldValues, every
    // label, the main window's case information and the bound controls, and
    // offers back text of the case kept in recovery files. A failed read empties the
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

    // While a modal editor is open the main window and this screen turn grey
    // and the logo, Close Case and both navigation strips are hidden.
    void DimScreen(bool on);
    // The panel clicks: each opens its editor, then the case is read again.
    void Shape1MouseDown();
    void Shape5MouseDown();
    void Shape7MouseDown();
    void DischargeEditShapeMouseDown();
    // The list clicks (and Enter on a list): the list's editor works on its
    // rows and hands them back.
    void PhysicianListBoxMouseDown();
    void FamilyListBoxMouseDown();
    void DiagnosisCodeListBoxMouseDown();
    void TreatmentCodeListBoxMouseDown();
    // Asks, saves pending edits, closes the case and cancels its open quotes.
    void CloseCaseImageButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillLabels();
    // A loaded editor shown modally with the screen dimmed; the case is read
    // again after it closes. An editor that cannot load is not shown.
    template <typename Editor>
    void OpenEditor(Editor& editor);
    void OpenListEditor(cSubListEditor& editor, CaseSubList which);

    std::unique_ptr<Ui::TCaseEditForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    CaseFieldSaves& saves_;
    cWorkspaceActions& actions_;
    cCaseScreens& screens_;
    std::array<cItemListModel*, 4> subLists_{};
    std::array<cListState*, 4> subListStates_{};
    cScreenContent content_;
};

}  // namespace dalvero
