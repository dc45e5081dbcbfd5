#pragma once
// Every message box and modal dialog of the client is shown through here, so
// that tests can answer them programmatically and see what was asked.

#include <QMessageBox>

#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace dalvero {

struct MessageBoxRequest {
    QWidget* parent = nullptr;
    std::string text;
    std::string caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Stands in for the user. `messageBox` returns the button pressed. `dialog`
// receives the dialog already shown (non-modal) and finishes it the way a user
// would (filling controls, clicking buttons, accept/reject/done); a dialog it
// leaves open is rejected. An unset member means the real user answers.
struct DialogResponder {
    std::function<QMessageBox::StandardButton(const MessageBoxRequest&)> messageBox;
    std::function<void(QDialog&)> dialog;
};

// Replaces the responder; pass {} to give the answers back to the user.
void SetDialogResponder(DialogResponder responder);

// Texts are UTF-8. Returns the button pressed (Escape gives the box's escape
// button, as QMessageBox decides).
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::Icon icon = QMessageBox::NoIcon);

// Runs the dialog modally and returns its result (QDialog::Accepted, Rejected
// or the value given to done()). Its memos leave on Tab and its focused
// control is framed; Return and Escape are the dialog's own (default button,
// reject).
int ExecDialog(QDialog& dialog);

// A dialog holding typing that the unattended logoff must not lose.
class cKeepsUnsaved {
public:
    virtual ~cKeepsUnsaved() = default;
    // Puts the unsaved typing in recovery files; nothing is asked.
    virtual void KeepUnsaved() = 0;
};

// The unattended logoff: every open dialog and message box closes without
// asking, those that are cKeepsUnsaved after keeping their typing.
void CloseDialogsUnattended();

// Routes the data layer's messages to ShowMessageBox (over the active window)
// and its event servicing to QCoreApplication::processEvents.
void InstallUiHooks();

}  // namespace dalvero
