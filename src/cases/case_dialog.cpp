#include "case_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>

#include "control_events.h"
#include "image_button.h"

namespace dalvero {

void cCaseDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        DefaultAction();
        return;
    }
    QDialog::keyPressEvent(event);
}

void cCaseDialog::BindButton(QLabel* image, std::function<void()> action) {
    connect(cImageButton::Painted(image, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            std::move(action));
}

void cCaseDialog::BindSaveButton(QLabel* image, const std::function<void()>& save) {
    BindButton(image, save);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this), &QShortcut::activated, this, save);
    image->setToolTip("Save (Alt+S)");
}

void cCaseDialog::FocusNextField() {
    if (QWidget* focused = focusWidget()) MoveFocusToNext(focused);
}

}  // namespace dalvero
