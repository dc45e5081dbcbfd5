#pragma once
// The one artwork of the client's image buttons: tabs and buttons drawn at run
// time in each of the four button states, at the screen's pixel density.

#include <QPixmap>

class QFont;
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
};

}  // namespace dalvero
