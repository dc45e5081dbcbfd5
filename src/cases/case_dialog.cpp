#include "case_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShortcut>

#include "control_events.h"
#include "dialog_seam.h"
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

void LimitNoteLength(QPlainTextEdit* memo, int maxBytes) {
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxBytes] {
        const QString text = memo->toPlainText();
        if (text.toUtf8().size() <= maxBytes) return;
        // Cut at a character boundary: drop characters until the bytes fit.
        QString cut = text.left(maxBytes);
        while (cut.toUtf8().size() > maxBytes) cut.chop(1);
        const QSignalBlocker quiet(memo);
        memo->setPlainText(cut);
        memo->moveCursor(QTextCursor::End);
        memo->document()->setModified(true);
        ShowMessageBox(memo->window(),
                       "This note can hold " + std::to_string(maxBytes) +
                           " characters at most; the text past that was not kept.",
                       "Note too long");
    });
}

}  // namespace dalvero
