#pragma once
// The open patient's cases: the panel "CaseHistory" lists them, sorted by a
// click on the header, and a click (or Enter) on one shows it read-only in
// TCaseHistoryEditForm.

#include <QDialog>
#include <QWidget>

#include <memory>
#include <string>

#include "case_list_model.h"

namespace Ui {
class TCaseHistoryForm;
class TCaseHistoryEditForm;
}  // namespace Ui

class QModelIndex;

namespace dalvero {

class cListState;
class cWorkspaceActions;
class dbServerConnection;
struct ClientSession;
struct ListSettings;

// Every value is a label or a read-only memo: nothing here can be written
// back to the past case.
class TCaseHistoryEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TCaseHistoryEditForm(QWidget* parent = nullptr);
    ~TCaseHistoryEditForm() override;

    // Reads the case into the labels; false (and nothing shown) when it
    // cannot be read.
    bool Load(dbServerConnection& db, const std::string& caseSeq);

private:
    std::unique_ptr<Ui::TCaseHistoryEditForm> ui;
};

class TCaseHistoryForm : public QWidget {
    Q_OBJECT
public:
    // Reads through session, keeps its sort in lists, reloads through actions.
    TCaseHistoryForm(ClientSession& session, ListSettings& lists, cWorkspaceActions& actions);
    ~TCaseHistoryForm() override;

    QWidget* Panel() const;
    cCaseListModel& Rows() const { return *rows_; }
    TCaseHistoryEditForm& EditForm() const { return *edit_; }
    // After the rows were loaded: in the server's order, sorted by nothing.
    void Loaded(bool read);

    void CaseHistoryHeaderSectionClick(int section);
    void CaseHistoryListBoxClick(const QModelIndex& index);

private:
    std::unique_ptr<Ui::TCaseHistoryForm> ui;
    ClientSession& session_;
    ListSettings& lists_;
    cCaseListModel* rows_;
    TCaseHistoryEditForm* edit_;
    cListState* loadState_;
};

}  // namespace dalvero
