#include "form_keys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "image_button.h"

namespace dalvero {

namespace {
class cFirstRowOnDown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool towardsTop =
            key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_Home || key == Qt::Key_PageUp;
        auto* list = qobject_cast<QAbstractItemView*>(watched);
        if (!towardsTop || !list || !list->model() ||
            list->model()->rowCount() == 0 || list->selectionModel()->hasSelection())
            return false;
        list->setCurrentIndex(list->model()->index(0, 0));
        return true;
    }
};
}  // namespace

cFormKeys::cFormKeys(QWidget* form) : QObject(form) { form->installEventFilter(this); }

cFormKeys& cFormKeys::Of(QWidget* form) {
    if (auto* existing = form->findChild<cFormKeys*>(QString(), Qt::FindDirectChildrenOnly)) return *existing;
    return *new cFormKeys(form);
}

// A key a control did not use is passed on to its parents, so the form sees
// it here after every control inside had its chance.
bool cFormKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent() || event->type() != QEvent::KeyPress) return false;
    return Handle(*static_cast<QKeyEvent*>(event));
}

bool cFormKeys::Handle(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!defaultButton_ || !defaultButton_->isVisible() || !defaultButton_->isEnabled()) return false;
        ClickButton(defaultButton_);
        return true;
    case Qt::Key_Escape:
        if (!escape_) return false;
        escape_();
        return true;
    default:
        return false;
    }
}

void ClickButton(QWidget* button) {
    if (auto* push = qobject_cast<QAbstractButton*>(button))
        push->click();
    else if (cImageButton* image = cImageButton::Of(button))
        image->Click();
}

void MakeMemosLeaveOnTab(QWidget* form) {
    for (auto* memo : form->findChildren<QPlainTextEdit*>()) memo->setTabChangesFocus(true);
    for (auto* memo : form->findChildren<QTextEdit*>()) memo->setTabChangesFocus(true);
}

void MakeListsStartAtTheTop(QWidget* form) {
    for (auto* list : form->findChildren<QAbstractItemView*>()) list->installEventFilter(new cFirstRowOnDown(list));
}

}  // namespace dalvero
