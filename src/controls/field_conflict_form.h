#pragma once
// Two people on one field: the server refused a save because the stored value
// changed since the field was loaded. The window shows both texts and the
// user keeps theirs, takes the other, or merges the two by hand.

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TFieldConflictForm;
}

namespace dalvero {

class TFieldConflictForm : public QDialog {
    Q_OBJECT
public:
    TFieldConflictForm(const std::string& mine, const std::string& theirs, QWidget* parent);
    ~TFieldConflictForm() override;

    // The text chosen; none when the window was cancelled.
    const std::optional<std::string>& Chosen() const { return chosen_; }

    void KeepMineButtonClick();
    void TakeTheirsButtonClick();
    void SaveMergedButtonClick();

private:
    void Choose(const QWidget* text);

    std::unique_ptr<Ui::TFieldConflictForm> ui;
    std::optional<std::string> chosen_;
};

// Shows the window through the dialog seam; the text to save, or none when
// the user cancelled.
std::optional<std::string> ResolveFieldConflict(QWidget* parent, const std::string& mine, const std::string& theirs);

}  // namespace dalvero
