#pragma once
// The list strip: tabs for the open case list, the previous case list and,
// for administrators, the administration screen.

#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class TCaseListNavigationForm;
}

namespace dalvero {

struct MainWindowState;
class cWorkspaceActions;

class TCaseListNavigationForm : public QWidget {
    Q_OBJECT
public:
    explicit TCaseListNavigationForm(MainWindowState& main);
    ~TCaseListNavigationForm() override;

    QWidget* Panel() const;
    QLabel* CaseListTabImage() const;
    QLabel* PreviousCasesTabImage() const;
    QLabel* ShowAdminImage() const;

    void CaseListTabImageClick();
    void PreviousCasesTabImageClick();
    void ShowAdminImageClick();

private:
    std::unique_ptr<Ui::TCaseListNavigationForm> ui;
    cWorkspaceActions& actions_;
};

}  // namespace dalvero
