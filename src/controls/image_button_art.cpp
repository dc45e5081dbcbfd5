#include "image_button_art.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "elided_text.h"

namespace dalvero {

namespace {
// Calm clinical palette: white, soft blue-grey, one blue accent.
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kMist(0xEE, 0xF2, 0xF6);
const QColor kMistHover(0xE1, 0xE9, 0xF1);
const QColor kLine(0xC6, 0xD2, 0xDD);
const QColor kLineHover(0xA9, 0xBB, 0xCC);
const QColor kInk(0x2C, 0x3E, 0x50);
const QColor kMuted(0x5D, 0x70, 0x83);
const QColor kAccent(0x23, 0x74, 0xA8);
const QColor kAccentDeep(0x1A, 0x5C, 0x87);
const QColor kAccentWash(0xE8, 0xF2, 0xF9);
const QColor kPale(0xA4, 0xB0, 0xBC);
constexpr qreal kRadius = 6.0;
constexpr qreal kBoxRadius = 3.0;

struct Look {
    QColor fill, border, text;
    bool bold = false;
    bool accentBar = false;
};

Look TabLook(bool selected, bool hover) {
    if (selected) return {hover ? kAccentWash : kWhite, kLine, hover ? kAccentDeep : kAccent, true, true};
    return {hover ? kMistHover : kMist, hover ? kLineHover : kLine, hover ? kInk : kMuted};
}

Look ButtonLook(bool selected, bool hover) {
    if (selected) return {hover ? kAccentDeep : kAccent, hover ? kAccentDeep : kAccent, kWhite, true};
    return {hover ? kAccentWash : kWhite, hover ? kAccent : kLine, hover ? kAccent : kInk};
}

// A tab is rounded at the top only and open towards the panel below it.
QPainterPath TabOutline(const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + kRadius);
    path.arcTo(QRectF(r.left(), r.top(), 2 * kRadius, 2 * kRadius), 180, -90);
    path.lineTo(r.right() - kRadius, r.top());
    path.arcTo(QRectF(r.right() - 2 * kRadius, r.top(), 2 * kRadius, 2 * kRadius), 90, -90);
    path.lineTo(r.right(), r.bottom());
    return path;
}
}  // namespace

QPixmap ImageButtonArt::Paint(Shape shape, const QString& caption, const QFont& font, const QSize& size, int state,
                              qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap((QSizeF(size) * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    if (size.isEmpty()) return pixmap;

    const bool selected = (state & 1) != 0;
    const bool hover = (state & 2) != 0;
    const Look look = shape == Shape::Tab ? TabLook(selected, hover) : ButtonLook(selected, hover);

    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF frame = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (shape == Shape::Button) {
        PaintButtonFace(painter, frame, state, true);
    } else {
        const QPainterPath outline = TabOutline(frame);
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.fill);
        painter.drawPath(outline);
        if (look.accentBar) {
            painter.save();
            painter.setClipPath(outline);
            painter.fillRect(QRectF(0, 0, size.width(), 3), kAccent);
            painter.restore();
        }
        painter.setPen(QPen(look.border, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }

    QFont captionFont(font);
    captionFont.setBold(look.bold);
    painter.setFont(captionFont);
    painter.setPen(look.text);
    const QRectF textArea = frame.adjusted(kRadius, 0, -kRadius, 0);
    const QString text = ElideWords(caption, QFontMetrics(captionFont), int(textArea.width()));
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine, text);
    return pixmap;
}

void ImageButtonArt::PaintButtonFace(QPainter& painter, const QRectF& rect, int state, bool enabled) {
    const Look look = ButtonLook((state & 1) != 0, (state & 2) != 0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(enabled ? look.border : kLine, 1.0));
    painter.setBrush(enabled ? look.fill : kMist);
    painter.drawRoundedRect(rect, kRadius, kRadius);
    painter.restore();
}

QColor ImageButtonArt::CaptionColour(int state, bool enabled) {
    return enabled ? ButtonLook((state & 1) != 0, (state & 2) != 0).text : kPale;
}

void ImageButtonArt::PaintTickBox(QPainter& painter, const QRectF& rect, bool ticked, bool hover, bool enabled,
                                  bool round) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor edge = !enabled ? kLine : ticked || hover ? kAccent : kLineHover;
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(ticked && enabled ? kAccent : ticked ? kLine : enabled ? kWhite : kMist);
    if (round)
        painter.drawEllipse(box);
    else
        painter.drawRoundedRect(box, kBoxRadius, kBoxRadius);
    if (ticked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kWhite);
        if (round) {
            const qreal dot = box.width() / 3.5;
            painter.drawEllipse(box.center(), dot, dot);
        } else {
            const qreal w = box.width();
            const qreal h = box.height();
            QPainterPath tick;
            tick.moveTo(box.left() + 0.22 * w, box.top() + 0.52 * h);
            tick.lineTo(box.left() + 0.42 * w, box.top() + 0.72 * h);
            tick.lineTo(box.left() + 0.78 * w, box.top() + 0.30 * h);
            painter.strokePath(tick, QPen(kWhite, std::max(1.5, w / 7.0), Qt::SolidLine, Qt::RoundCap,
                                          Qt::RoundJoin));
        }
    }
    painter.restore();
}

QColor ImageButtonArt::Accent() { return kAccent; }

}  // namespace dalvero
