#pragma once
// The previous (closed) case list, a screenful at a time, paged with
// PageUpImage and PageDownImage through the main window's PreviousListBatch.

#include <QWidget>

#include <memory>

#include "case_list_model.h"

class QModelIndex;

namespace Ui {
class TCaseListPrevForm;
}

namespace dalvero {

struct ListSettings;
struct MainWindowState;
class cCaseScreens;
class cListState;
class cWorkspaceActions;

class TCaseListPrevForm : public QWidget {
    Q_OBJECT
public:
    TCaseListPrevForm(MainWindowState& main, cCaseScreens& screens);
    ~TCaseListPrevForm() override;

    QWidget* Panel() const;
    cCaseListModel& Rows() const { return *rows_; }
    // Whole rows the list shows at once; at least one.
    int PageSize() const;
    void SetPagingButtonsVisible(bool visible);
    bool PagingButtonsVisible() const;
    // The list's empty-state text and its retry after a failed load.
    cListState& LoadState() const { return *loadState_; }

    void ShowMyCasesButtonImageClick();
    void ShowAllCasesImageButtonClick();
    void PageUpImageClick();
    void PageDownImageClick();
    // A click (or Enter) on a closed case shows it read-only.
    void PrevCasesListBoxClick(const QModelIndex& index);

private:
    std::unique_ptr<Ui::TCaseListPrevForm> ui;
    ListSettings& lists_;
    cWorkspaceActions& actions_;
    cCaseScreens& screens_;
    cCaseListModel* rows_;
    cListState* loadState_;
};

}  // namespace dalvero
