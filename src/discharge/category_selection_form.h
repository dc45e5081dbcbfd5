#pragma once
// The categories a provider serves, ticked from its ProviderCategoryLink
// records; Save adds a link for each newly ticked category and deletes the
// link of each newly unticked one. A category shown in two boxes (139) is
// one item: its boxes are kept in step and it is written once. Enter saves
// (Save is the default button) and Escape closes without saving, so ticks
// made by keyboard are never dropped by the key that seems to confirm them.

#include <QDialog>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;

namespace Ui {
class TCategorySelectionForm;
}

namespace dalvero {

class cEntryGroupKeys;
class dbServerConnection;

struct cCheckBoxItem {
    std::vector<QCheckBox*> boxes;  // every box of the category
    int seq = 0;
    bool wasTicked = false;
    std::string linkSeq;  // the link record that ticked it; empty for none
};

class TCategorySelectionForm : public QDialog {
    Q_OBJECT
public:
    explicit TCategorySelectionForm(QWidget* parent = nullptr);
    ~TCategorySelectionForm() override;

    // Set before showing.
    std::string ProviderSeq;
    dbServerConnection* Connection = nullptr;

    // Ticks the provider's categories from the server and remembers them
    // as the starting state.
    void LoadLinks();
    void SaveButtonClick();
    QCheckBox* Box(const QString& control) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BoxToggled(int seq, bool ticked);

    std::unique_ptr<Ui::TCategorySelectionForm> ui;
    std::map<int, cCheckBoxItem> items_;
    cEntryGroupKeys* keys_ = nullptr;
};

}  // namespace dalvero
