#pragma once
// The keys every form answers the same way: Return or Enter that no control
// used clicks the form's default button, Escape that no control used runs the
// form's cancel action, and Tab leaves memos instead of typing a tab; and the
// control a form starts at.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace dalvero {

class cFormKeys : public QObject {
    Q_OBJECT
public:
    // The keys of `form`, made on first use and freed with the form.
    static cFormKeys& Of(QWidget* form);

    // `button` is a push button or an image button of the form; none unsets it.
    void SetDefaultButton(QWidget* button) { defaultButton_ = button; }
    void SetEscapeAction(std::function<void()> action) { escape_ = std::move(action); }
    // The control the form starts at when it is shown and the focus was left
    // elsewhere; none when the form has no such control.
    void SetStartControl(QWidget* control) { start_ = control; }
    QWidget* StartControl() const { return start_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit cFormKeys(QWidget* form);
    bool Handle(const QKeyEvent& key);

    QPointer<QWidget> defaultButton_;
    QPointer<QWidget> start_;
    std::function<void()> escape_;
};

// Clicks `button` the way the user would: a push button or an image button.
void ClickButton(QWidget* button);

// Makes every memo inside `form` pass Tab and Shift+Tab on to the next or
// previous control, as users expect of a form.
void MakeMemosLeaveOnTab(QWidget* form);

// Makes the first Down, Up, Home or Page Up in every list inside `form` that
// has no selected row select the first row, rather than the row after the
// one the list marks as current without showing it.
void MakeListsStartAtTheTop(QWidget* form);

}  // namespace dalvero
