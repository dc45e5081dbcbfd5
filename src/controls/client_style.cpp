#include "client_style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

#include "image_button_art.h"

namespace dalvero {

namespace {
constexpr int kButtonHeight = 30;
constexpr int kButtonPadding = 20;
constexpr int kTickBox = 15;
constexpr int kTitlePoints = 12;
const QColor kQuietText(0x8A, 0x94, 0xA6);
const QColor kBand(0x1F, 0x4E, 0x9C);
constexpr int kBandPadding = 4;

int ButtonState(const QStyleOption& option) {
    const bool down = option.state & (QStyle::State_Sunken | QStyle::State_On);
    const bool hover = option.state & QStyle::State_MouseOver;
    return (down ? 1 : 0) | (hover ? 2 : 0);
}

bool Enabled(const QStyleOption& option) { return option.state & QStyle::State_Enabled; }
}  // namespace

cClientStyle::cClientStyle() : QProxyStyle(QStyleFactory::create("Fusion")) { setObjectName("dalvero"); }

void cClientStyle::polish(QPalette& palette) {
    QProxyStyle::polish(palette);
    palette.setColor(QPalette::Highlight, ImageButtonArt::Accent());
    palette.setColor(QPalette::HighlightedText, Qt::white);
}

void cClientStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (qobject_cast<QAbstractButton*>(widget)) widget->setAttribute(Qt::WA_Hover);
    if (!qobject_cast<QLabel*>(widget)) return;
    if (widget->property("heading").toBool()) {
        QFont font = widget->font();
        font.setBold(true);
        font.setPointSize(kTitlePoints);
        widget->setFont(font);
    }
    if (widget->property("quiet").toBool()) {
        QFont font = widget->font();
        font.setItalic(true);
        widget->setFont(font);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, kQuietText);
        widget->setPalette(palette);
    }
}

void cClientStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    switch (element) {
    case PE_PanelButtonCommand:
        ImageButtonArt::PaintButtonFace(*painter, QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5),
                                        ButtonState(*option), Enabled(*option));
        return;
    case PE_FrameDefaultButton:
        return;
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
    case PE_IndicatorItemViewItemCheck:
        ImageButtonArt::PaintTickBox(*painter, option->rect, option->state & (State_On | State_NoChange),
                                     option->state & State_MouseOver, Enabled(*option),
                                     element == PE_IndicatorRadioButton);
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void cClientStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element == CE_PushButtonLabel) {
        QStyleOptionButton label(*qstyleoption_cast<const QStyleOptionButton*>(option));
        label.palette.setColor(QPalette::ButtonText, ImageButtonArt::CaptionColour(ButtonState(label),
                                                                                    Enabled(label)));
        QProxyStyle::drawControl(element, &label, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void cClientStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                      const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || !widget || !widget->property("band").toBool()) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionGroupBox frame(*box);
    frame.subControls &= ~SC_GroupBoxLabel;
    QProxyStyle::drawComplexControl(control, &frame, painter, widget);
    const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    QFont bold = painter->font();
    bold.setBold(true);
    painter->setFont(bold);
    const QRect band(title.left() - kBandPadding, title.top(),
                     QFontMetrics(bold).horizontalAdvance(box->text) + 2 * kBandPadding, title.height());
    painter->fillRect(band, kBand);
    painter->setPen(Qt::white);
    painter->drawText(band, Qt::AlignCenter | Qt::TextSingleLine, box->text);
    painter->restore();
}

QSize cClientStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_PushButton) result = {result.width() + kButtonPadding, std::max(result.height(), kButtonHeight)};
    return result;
}

int cClientStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return kTickBox;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void ApplyClientStyle(QApplication& app) {
    auto* style = new cClientStyle;
    QApplication::setStyle(style);
    QPalette palette = style->standardPalette();
    style->polish(palette);
    app.setPalette(palette);
}

}  // namespace dalvero
