#pragma once
// The generic look-up window: a typed key lists records of a server list a
// page at a time; the paging keys fetch further records, Enter or a double
// click chooses one. The caller sets Parameters before Prepare; the window
// forgets them when it closes.

#include <QDialog>

#include <memory>
#include <string>

#include "item_list_model.h"
#include "record_batch.h"

class QModelIndex;

namespace Ui {
class TLookupForm;
}

namespace dalvero {

class dbServerConnection;

struct LookupParameters {
    dbServerConnection* Connection = nullptr;
    std::string Caption;
    // "D": rows from the typed key whose MatchField begins with it; "N":
    // every fetched row; any other: the page centred on the typed key.
    std::string Mode;
    std::string Table;
    std::string Index;
    std::string KeyFrom;
    int MaxCount = 0;
    // Comma texts, one item per column.
    std::string DisplayFields;
    std::string ColumnWidths;
    std::string ColumnAligns;
    int MatchField = 0;
    // Empty: the display fields.
    std::string FieldList;
    std::string AliasList;
    std::string Filter;
};

class TLookupForm : public QDialog {
    Q_OBJECT
public:
    explicit TLookupForm(QWidget* parent = nullptr);
    ~TLookupForm() override;

    LookupParameters Parameters;
    // The result: a row was chosen, and the set positioned on its record
    // (valid until the next Prepare).
    bool Selected = false;
    cBatchSet* SelectedSet() const { return Selected ? batch_.Set.get() : nullptr; }
    cItemListModel& Rows() const { return *rows_; }

    // Lays out the columns from Parameters and runs the empty search.
    void Prepare();
    void EditBoxChange();
    // Up, Down and the paging keys typed in EditBox; true when used.
    bool EditBoxKeyDown(int key);
    void ListBoxDblClick();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void Refetch(bool fetched, bool selectLast);

    std::unique_ptr<Ui::TLookupForm> ui;
    cItemListModel* rows_;
    cRecordBatch batch_;
    std::vector<std::string> displayFields_;
    std::vector<std::pair<int, char>> columns_;
};

}  // namespace dalvero
