#pragma once
// The open case's health check-list: the editable panel "PatientHealthDetail"
// and the read-only window. The panel saves the check-list (Cases f1002)
// when the user leaves it, when the panel is hidden and in the main window's
// pending-save path, through the field saves: a write the server does not
// take is kept and retried with the case fields, and the entries kept in a
// recovery file are offered back when the check-list is next loaded.

#include <QDialog>
#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class TPatientHealthDetailForm;
class TPatientHealthDetailNoEditForm;
}  // namespace Ui

namespace dalvero {

struct CaseFieldSaves;
struct ClientSession;
struct HealthDetail;
struct MainWindowState;
struct OpenCase;
class cHealthChecklistView;

// The stored check-list of a case, and its text as stored when asked; false
// (and an empty detail) when it cannot be read.
bool ReadHealthDetail(ClientSession& session, const std::string& caseSeq, HealthDetail& detail,
                      std::string* stored = nullptr);

class TPatientHealthDetailForm : public QWidget {
    Q_OBJECT
public:
    explicit TPatientHealthDetailForm(MainWindowState& main);
    ~TPatientHealthDetailForm() override;

    QWidget* Panel() const;
    cHealthChecklistView& Checklist() const { return *view_; }
    // Shows the open case's check-list; a failed read clears it and says so.
    void LoadHealthDetail();
    // Leaving the check-list.
    void PatientDetailsScrollBoxExit() { SavePending(); }
    // Empties the check-list; nothing is written until the next load.
    void Clear();
    // Writes the check-list when it changed since it was loaded or saved.
    void SavePending();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TPatientHealthDetailForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    CaseFieldSaves& saves_;
    cHealthChecklistView* view_;
    // The case whose check-list is shown; empty when none is.
    std::string caseSeq_;
    bool changed_ = false;
};

class TPatientHealthDetailNoEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TPatientHealthDetailNoEditForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TPatientHealthDetailNoEditForm() override;

    cHealthChecklistView& Checklist() const { return *view_; }
    // Shows the case's check-list; false when it cannot be read (said).
    bool Load(const std::string& caseSeq);
    void BackButtonClick() { reject(); }

private:
    std::unique_ptr<Ui::TPatientHealthDetailNoEditForm> ui;
    ClientSession& session_;
    cHealthChecklistView* view_;
};

}  // namespace dalvero
