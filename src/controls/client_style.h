#pragma once
// The client's one look, set in one place for the whole application: at
// start-up and by the tests' application, before the first window is made.
// Forms hold no style sheets of their own for it: push buttons and tick boxes
// take the image buttons' artwork, selected rows the palette's highlight, and
// a label marked with the dynamic property heading=true in its form is a
// screen's title, one marked quiet=true a pale italic aside, and a group box
// marked band=true has its title in white on a blue band. Colours the forms are given for what they mean (the status
// legend, the insurance colours) stay in the forms.

#include <QProxyStyle>

class QApplication;

namespace dalvero {

class cClientStyle : public QProxyStyle {
    Q_OBJECT
public:
    cClientStyle();

    void polish(QPalette& palette) override;
    void polish(QWidget* widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

// Gives app the client's style and its palette.
void ApplyClientStyle(QApplication& app);

}  // namespace dalvero
