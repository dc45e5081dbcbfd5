#include "dialog_seam.h"

#include <QApplication>
#include <QDialog>

#include "focus_frame.h"
#include "form_keys.h"
#include "interaction_hooks.h"

namespace dalvero {

namespace {
DialogResponder& Responder() {
    static DialogResponder responder;
    return responder;
}
}  // namespace

void SetDialogResponder(DialogResponder responder) { Responder() = std::move(responder); }

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                                           QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
    if (Responder().messageBox) return Responder().messageBox({parent, text, caption, buttons, icon});
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons, parent);
    box.exec();
    return box.standardButton(box.clickedButton());
}

int ExecDialog(QDialog& dialog) {
    // Return, Escape and Tab behave in every dialog as in the main window.
    MakeMemosLeaveOnTab(&dialog);
    cFocusFrame::Install(&dialog);
    if (!Responder().dialog) return dialog.exec();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    Responder().dialog(dialog);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
}

void CloseDialogsUnattended() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!dialog || !dialog->isVisible()) continue;
        if (auto* keeps = dynamic_cast<cKeepsUnsaved*>(dialog)) keeps->KeepUnsaved();
        // Past a reject() of the dialog's own, which would ask.
        dialog->QDialog::done(QDialog::Rejected);
    }
}

void InstallUiHooks() {
    SetUiHooks({
        [](const std::string& text, const std::string& caption) {
            ShowMessageBox(QApplication::activeWindow(), text, caption);
        },
        [] { QCoreApplication::processEvents(); },
    });
}

}  // namespace dalvero
