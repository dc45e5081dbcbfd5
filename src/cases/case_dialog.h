#pragma once
// The modal editors of the case screens: Enter does the editor's default
// action (saving, or in editors filled field by field the move to the next
// field), Escape cancels, and the image buttons act on a click.

#include <QDialog>

#include <functional>

class QLabel;

namespace dalvero {

class cCaseDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    // What Enter does.
    virtual void DefaultAction() = 0;
    void keyPressEvent(QKeyEvent* event) override;
    // Paints the image button and runs action on its click.
    void BindButton(QLabel* image, std::function<void()> action);
    // The save button of an editor where Enter moves on: a click or Alt+S.
    void BindSaveButton(QLabel* image, const std::function<void()>& save);
    // A default action that moves the focus to the next field.
    void FocusNextField();
};

}  // namespace dalvero
