#pragma once
// The need type picker: the catalogue's categories under their headings;
// a click on one, or Return, Enter or Space on the current one, closes the
// window with its Seq; "X" or Escape with none.

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TCaseNeedSelectionForm;
}

namespace dalvero {

class cEntryGroupKeys;

class TCaseNeedSelectionForm : public QDialog {
    Q_OBJECT
public:
    explicit TCaseNeedSelectionForm(QWidget* parent = nullptr);
    ~TCaseNeedSelectionForm() override;

    // The chosen category's Seq; empty when the window closed without a choice.
    const std::string& Result() const { return result_; }
    // A click on the entry named control ("S139_1").
    void EntryClick(const QString& control);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TCaseNeedSelectionForm> ui;
    std::string result_;
    cEntryGroupKeys* keys_ = nullptr;
};

}  // namespace dalvero
