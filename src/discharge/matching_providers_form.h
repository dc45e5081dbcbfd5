#pragma once
// The providers matched to the open case's needs: each provider with the
// needs it can serve, ticked by the planner and sent their requests by
// e-mail ("sendinitialneedsemails"); a double click shows a provider's card.

#include <QDialog>

#include <memory>

#include "matching_list.h"

class QListView;

namespace Ui {
class TMatchingProvidersForm;
}

namespace dalvero {

struct ClientSession;
struct MainWindowState;
struct OpenCase;
class cDischargeScreens;
class cJsonNode;
class cWorkspaceActions;

class TMatchingProvidersForm : public QDialog {
    Q_OBJECT
public:
    TMatchingProvidersForm(MainWindowState& main, cDischargeScreens& screens, QWidget* parent);
    ~TMatchingProvidersForm() override;

    void Clear();
    // Adds the rows of a successful "processneedsmatching" reply.
    void Fill(cJsonNode& reply);
    cMatchListModel& Rows() const { return *rows_; }
    QListView* MatchingProvidersListBox() const;
    // Where row's tick box is in the list's viewport; empty when it has none.
    QRect TickBox(int row) const;

    void SelectAllButtonClick();
    void SelectNoneButtonClick();
    void SendProviderRequestsImageButtonClick();
    // A click at pos in the list's viewport flips the tick under it.
    void MatchingProvidersListBoxMouseDown(const QPoint& pos);
    void MatchingProvidersListBoxDblClick(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TMatchingProvidersForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    cWorkspaceActions& actions_;
    cDischargeScreens& screens_;
    cMatchListModel* rows_;
};

}  // namespace dalvero
