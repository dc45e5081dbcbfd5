#pragma once
// The report window: a report's lines in a read-only memo, closed with Back.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TReportsForm;
}

namespace dalvero {

class TReportsForm : public QDialog {
    Q_OBJECT
public:
    TReportsForm(const std::vector<std::string>& lines, QWidget* parent);
    ~TReportsForm() override;

    // The text on view.
    std::string Text() const;

private:
    std::unique_ptr<Ui::TReportsForm> ui;
};

}  // namespace dalvero
