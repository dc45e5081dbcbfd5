#pragma once
// What the three list editors of a case share: they work on the rows the
// case screen hands over and hand them back when they close, and write every
// change at once. A row joins the list only when the server took it, so that
// no row without a Seq is ever saved or removed; a row made primary takes the
// mark from every other row, on the server too, so that only one is.
// A row's edit left unsaved at the unattended logoff is kept like the case
// editors' and offered back when the editor next opens on that case.

#include <string>
#include <vector>

#include "case_dialog.h"
#include "case_queries.h"
#include "column_row_delegate.h"
#include "item_list_model.h"

class QListView;
class QModelIndex;

namespace dalvero {

class cListHeader;
class dbServerConnection;
struct MainWindowState;
struct OpenCase;
class StringList;

class cSubListEditor : public cCaseDialog {
    Q_OBJECT
public:
    // Shows the editor modally on the case screen's rows; they are back
    // there, with every change, when it closes.
    void Edit(cItemListModel& caseRows);
    cItemListModel& Rows() const { return *rows_; }
    QListView* List() const { return list_; }

protected:
    cSubListEditor(MainWindowState& main, CaseSubList which, QWidget* parent);

    void SetUpList(QListView* list, cListHeader* header, const std::vector<std::pair<const char*, int>>& sections,
                   cColumnRowDelegate::Cells cells, int rowHeight);
    void SetWhich(CaseSubList which) { which_ = which; }
    // Before the editor shows: the edit panel is hidden.
    virtual void Prepare() = 0;
    // Fills the edit panel from a row's fields and opens it.
    virtual void ShowRow(const ListBoxItemClass& item) = 0;
    // The edit panel's fields as "fN=value" items, as its Save writes them.
    virtual StringList PanelValues() const = 0;
    virtual const QWidget* EditPanel() const = 0;
    // When the editor opens and no kept row edit was taken: offers back a
    // new row's typing kept at a logoff; none in editors that keep none.
    virtual void OfferKeptNewRow() {}
    std::vector<EditedRecord> EditedRecords() const override;
    int SelectedRow() const;
    void Select(int row);
    std::string Table() const { return SubListTable(which_); }
    dbServerConnection& Db() const;
    const std::string& CaseSeq() const;

    // Adds the record; the row joins at the top or the end and is selected
    // when the server took it. failText is said otherwise.
    bool AddRow(const StringList& values, SubListRow row, bool top, const std::string& failText);
    // Writes values (name=value items) to the row's record and, when taken,
    // into the row.
    bool UpdateRow(int row, const StringList& values, const std::string& failText);
    // Deletes the row's record, then the row; a refused delete keeps it.
    bool RemoveRow(int row, const std::string& failText);
    // After the row's primary mark in field changed: a primary row goes to
    // the top and every other row loses the mark; a row no longer primary
    // goes to the end. The place of the row afterwards.
    int PrimaryChanged(int row, const char* field, const std::string& updateFailText);
    // The row's text again, after its fields changed.
    void Retext(int row);

private:
    void ListClicked(const QModelIndex& index);
    // Selects the row and shows its fields in the edit panel.
    void OpenRow(int row);
    // Offers back the first row's edit kept at a logoff; true when taken.
    bool OfferKeptRow(int row);

    MainWindowState& main_;
    CaseSubList which_;
    cItemListModel* rows_;
    QListView* list_ = nullptr;
    // The opened row and what its panel showed then.
    std::string shownSeq_;
    StringList shown_;
};

}  // namespace dalvero
