#pragma once
// The one artwork of the client's buttons: image tabs and buttons drawn at run
// time in each of the four button states, at the screen's pixel density, and
// the faces the client's style gives push buttons, tick boxes and the buttons
// drawn inside list rows, so that every button of the client looks alike.

#include <QColor>
#include <QPixmap>

class QFont;
class QPainter;
class QRectF;
class QString;
class QSize;

namespace dalvero {

class ImageButtonArt {
public:
    enum class Shape { Tab, Button };

    // `state` is an image button state: 0 normal, 1 selected, 2 hover,
    // 3 selected with hover. `size` is in device-independent pixels.
    static QPixmap Paint(Shape shape, const QString& caption, const QFont& font, const QSize& size, int state,
                         qreal devicePixelRatio);

    // A button's rounded face in rect, in an image button state; a disabled
    // button is drawn flat and pale.
    static void PaintButtonFace(QPainter& painter, const QRectF& rect, int state, bool enabled);
    // The caption colour on that face.
    static QColor CaptionColour(int state, bool enabled);
    // A tick box (round for a choice of one) in rect, ticked or not.
    static void PaintTickBox(QPainter& painter, const QRectF& rect, bool ticked, bool hover, bool enabled,
                             bool round);
    // The colour of selected rows and ticked boxes.
    static QColor Accent();
};

}  // namespace dalvero
