#pragma once
// A closed case, read-only, in the panel "PreviousCaseEdit": opened from the
// previous case list, left back to it, or reopened. A click on the health
// details shows the case's check-list read-only.

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class TPreviousCaseEditForm;
}

namespace dalvero {

struct MainWindowState;
class TPatientHealthDetailNoEditForm;

class TPreviousCaseEditForm : public QWidget {
    Q_OBJECT
public:
    TPreviousCaseEditForm(MainWindowState& main, TPatientHealthDetailNoEditForm& healthDetail);
    ~TPreviousCaseEditForm() override;

    QWidget* Panel() const;
    // Reads the closed case and shows the panel; a failed read leaves the
    // screen as it was and the panel unshown.
    bool Open(const std::string& caseSeq, const std::string& patientSeq);
    void CaseListImageButtonClick();
    // Asks, clears the closed flag, shows the open list and marks again the
    // quotes of the case's needs that were not deleted.
    void ReopenCaseButtonClick();
    void PcHealthDetailMemoClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TPreviousCaseEditForm> ui;
    MainWindowState& main_;
    TPatientHealthDetailNoEditForm& healthDetail_;
};

}  // namespace dalvero
