#pragma once
// A frame around the control that has the keyboard focus in one window, so
// the user always sees where a key goes: some styles mark focus faintly and
// image buttons not at all.

#include <QObject>
#include <QPointer>
#include <QWidget>

class QPainter;

namespace dalvero {

// Marks the current row, or the current part of a row, of a list that has
// the focus, in the frame's colour, so that lists show the focus alike.
void PaintFocusMark(QPainter& painter, const QRect& area);

class cFocusFrame : public QObject {
    Q_OBJECT
public:
    // Marks the focused control of `window` from now on; owned by the window.
    static cFocusFrame* Install(QWidget* window);

    // The control framed now, or none.
    QWidget* Target() const { return target_; }
    // The frame itself, drawn over the target's edge in the target's parent.
    QWidget* Frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit cFocusFrame(QWidget* window);
    void Follow(QWidget* focused);
    void Place();

    QWidget* window_;
    QPointer<QWidget> target_;
    QPointer<QWidget> frame_;
};

}  // namespace dalvero
