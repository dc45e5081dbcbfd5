#pragma once
// Finding an ICD-9 code: by the code's first characters from the code book on
// the DataServer, or by keywords through the FunctionServer. A double click
// (or Enter) on a row chooses its code; the "nothing found" row cannot be
// chosen.

#include <QDialog>

#include <memory>
#include <string>

#include "icd_code_text.h"
#include "item_list_model.h"

class QModelIndex;

namespace Ui {
class TCodeLookupForm;
}

namespace dalvero {

class dbServerConnection;

struct CodeLookupParameters {
    dbServerConnection* Connection = nullptr;
    // The FunctionServer, for the keywords.
    dbServerConnection* Functions = nullptr;
    std::string CodeTable;
    std::string Index;
    std::string Command;
    IcdBook Book = IcdBook::Diagnoses;
};

class TCodeLookupForm : public QDialog {
    Q_OBJECT
public:
    explicit TCodeLookupForm(QWidget* parent = nullptr);
    ~TCodeLookupForm() override;

    CodeLookupParameters Parameters;
    bool Selected = false;
    std::string Code;
    std::string Description;
    cItemListModel& Rows() const { return *rows_; }

    // Empties the edits, the list, the description and the result.
    void Reset();
    void CodeEditChange();
    void KeywordEditEnter();
    void ListBoxClick(const QModelIndex& index);
    void ListBoxDblClick(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddRow(const std::string& code, const std::string& description);

    std::unique_ptr<Ui::TCodeLookupForm> ui;
    cItemListModel* rows_;
};

}  // namespace dalvero
