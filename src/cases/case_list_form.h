#pragma once
// The open case list: one row per open case of the user or the hospital,
// sortable by any column, with the row under the mouse underlined. A click
// on a row opens the case.

#include <QWidget>

#include <memory>
#include <string>

#include "case_list_model.h"
#include "string_list.h"

class QListView;
class QModelIndex;

namespace Ui {
class TCaseListForm;
}

namespace dalvero {

struct ClientSession;
struct ListSettings;
struct MainWindowState;
struct OpenCase;
class cCaseRowDelegate;
class cCaseScreens;
class cListState;
class cWorkspaceActions;

class TCaseListForm : public QWidget {
    Q_OBJECT
public:
    TCaseListForm(MainWindowState& main, cCaseScreens& screens);
    ~TCaseListForm() override;

    QWidget* Panel() const;
    cCaseListModel& Rows() const { return *rows_; }
    QListView* OpenCasesListBox() const;
    // The list's empty-state text and its retry after a failed load.
    cListState& LoadState() const { return *loadState_; }

    // The row under the mouse relative to the top visible row, -1 for none.
    int HoverRow() const { return hoverRow_; }
    // Draws the hover row plain again and forgets it.
    void ClearHover();
    // The window the list draws in: mouse moves over any other end the hover.
    QWidget* ListWindow() const;

    void OpenCasesHeaderSectionClick(int section);
    void OpenCasesListBoxClick(const QModelIndex& index);
    void ShowMyCasesButtonImageClick();
    void ShowAllCasesImageButtonClick();
    // "Enter New Case": the intake window, then the new case on the case screen.
    void EnterNewCaseButtonImageClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetHoverRow(int row);
    // The case just added shown on the case screen, its fields from the
    // values it was added with.
    void ShowCaseFromValues(const StringList& caseValues, const std::string& patientName);

    std::unique_ptr<Ui::TCaseListForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    ListSettings& lists_;
    cWorkspaceActions& actions_;
    cCaseScreens& screens_;
    cCaseListModel* rows_;
    cCaseRowDelegate* delegate_;
    cListState* loadState_;
    int hoverRow_ = -1;
};

}  // namespace dalvero
