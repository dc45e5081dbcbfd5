#pragma once
// The providers matched to the open case's needs: each provider with the
// needs it can serve, ticked by the planner and sent their requests by
// e-mail ("sendinitialneedsemails"); a double click shows a provider's card;
// and the patient's choice list of one of the needs, previewed and printed.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "matching_list.h"

class QListView;

namespace Ui {
class TMatchingProvidersForm;
}

namespace dalvero {

class cListState;

struct ClientSession;
struct MainWindowState;
struct OpenCase;
struct SignedInUser;
class cDischargeScreens;
class cJsonNode;
class cWorkspaceActions;

class TMatchingProvidersForm : public QDialog {
    Q_OBJECT
public:
    TMatchingProvidersForm(MainWindowState& main, cDischargeScreens& screens, QWidget* parent);
    ~TMatchingProvidersForm() override;

    void Clear();
    // Adds the rows of a successful "processneedsmatching" reply, matched
    // within mileRadius, which the choice list keeps to.
    void Fill(cJsonNode& reply, const std::string& mileRadius);
    cMatchListModel& Rows() const { return *rows_; }
    QListView* MatchingProvidersListBox() const;
    // Where row's tick box is in the list's viewport; empty when it has none.
    QRect TickBox(int row) const;

    void SelectAllButtonClick();
    void SelectNoneButtonClick();
    void SendProviderRequestsImageButtonClick();
    // A click at pos in the list's viewport makes its row current and
    // flips the tick under it.
    void MatchingProvidersListBoxMouseDown(const QPoint& pos);
    // Flips row's tick, when the row has a box (Space on the current row).
    void FlipTickOf(int row);
    void MatchingProvidersListBoxDblClick(int row);
    // Previews the choice list of the need chosen beside the button.
    void PrintChoiceListButtonClick();

    // Asks where a file goes; empty when the user cancels. Tests answer it.
    std::function<std::string(const std::string& defaultName)> ChooseFile;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TMatchingProvidersForm> ui;
    ClientSession& session_;
    const SignedInUser& user_;
    OpenCase& open_;
    cWorkspaceActions& actions_;
    cDischargeScreens& screens_;
    cMatchListModel* rows_;
    cListState* matchesState_;
    std::string mileRadius_;
};

}  // namespace dalvero
