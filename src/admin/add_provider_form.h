#pragma once
// The provider search dialog: providers found by the beginning of their
// name, limited to a state and a zip; a double click chooses one. Its two
// hidden panels, shown by an access code typed into the state field, add a
// provider and show and change the selected one.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "admin_queries.h"

namespace Ui {
class TAddProviderForm;
}

namespace dalvero {

class cListState;
class dbServerConnection;

// Opens the category selection of a provider over parent.
using ProviderCategoriesOpener = std::function<void(const std::string& providerSeq, QWidget* parent)>;

class TAddProviderForm : public QDialog {
    Q_OBJECT
public:
    TAddProviderForm(dbServerConnection& db, ProviderCategoriesOpener categories, QWidget* parent);
    ~TAddProviderForm() override;

    // The provider chosen; empty when none was.
    const std::string& ChosenSeq() const { return chosen_; }
    const std::vector<ProviderRow>& Rows() const { return rows_; }

    void Search();
    void StateEditChange();
    void ProviderListDblClick(int row);
    void AddNewProviderButtonClick();
    void ViewProviderButtonClick();

private:
    std::unique_ptr<Ui::TAddProviderForm> ui;
    dbServerConnection& db_;
    ProviderCategoriesOpener categories_;
    std::vector<ProviderRow> rows_;
    cListState* listState_;
    std::string chosen_;
};

}  // namespace dalvero
