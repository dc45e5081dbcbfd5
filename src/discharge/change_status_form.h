#pragma once
// A quote's status dialog: waiting, accepted, rejected with one of eight
// reasons, or cancelled, and a note. OK writes what changed to the quote and,
// when the awarded quote stops being accepted, takes the award from the need.
// At the unattended logoff a changed note goes to a recovery file, offered
// back when the quote's status is next changed.

#include <QDialog>

#include <memory>
#include <string>

#include "dialog_seam.h"

class QRadioButton;

namespace Ui {
class TChangeStatusForm;
}

namespace dalvero {

struct CaseFieldSaves;
struct ClientSession;
struct MainWindowState;
struct NeedInEdit;

class TChangeStatusForm : public QDialog, public cKeepsUnsaved {
    Q_OBJECT
public:
    TChangeStatusForm(MainWindowState& main, QWidget* parent);
    ~TChangeStatusForm() override;

    // Set by the caller before Prepare; OK leaves what was written.
    std::string ProviderName;
    std::string QuoteSeq;
    std::string NeedSeq;
    std::string Status;
    std::string Reason;
    std::string Note;

    // Fills the controls from the values.
    void Prepare();
    void OKButtonClick();
    QRadioButton* ReasonButton(int reason) const;
    void KeepUnsaved() override;

private:
    void StatusClick();
    std::string ChosenStatus() const;
    std::string ChosenReason() const;

    std::unique_ptr<Ui::TChangeStatusForm> ui;
    ClientSession& session_;
    NeedInEdit& need_;
    CaseFieldSaves& saves_;
};

}  // namespace dalvero
