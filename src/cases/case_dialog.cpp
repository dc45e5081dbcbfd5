#include "case_dialog.h"

#include <QKeyEvent>
#include <QLabel>

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

}  // namespace dalvero
