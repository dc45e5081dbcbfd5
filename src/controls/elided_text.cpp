#include "elided_text.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

namespace dalvero {

namespace {
constexpr char kWholeText[] = "dalveroWholeText";
constexpr char kShownText[] = "dalveroShownText";

// Re-elides a label's text whenever its width changes; one for all labels.
class cElidedLabels : public QObject {
public:
    static cElidedLabels& Instance() {
        static auto* filter = new cElidedLabels;
        return *filter;
    }
    static void Fit(QLabel& label) {
        // Text set or cleared by other code (a failed load empties every
        // label) replaces the text this label was given.
        if (label.text() != label.property(kShownText).toString()) label.setProperty(kWholeText, label.text());
        const QString whole = label.property(kWholeText).toString();
        const QString shown = ElideWords(whole, label.fontMetrics(), label.contentsRect().width());
        label.setProperty(kShownText, shown);
        label.setText(shown);
        label.setToolTip(shown == whole ? QString() : whole);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            if (auto* label = qobject_cast<QLabel*>(watched)) Fit(*label);
        return false;
    }
};
}  // namespace

QString ElideWords(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString cut = metrics.elidedText(text, Qt::ElideRight, width);
    const qsizetype kept = cut.size() - 1;  // letters before the "…"
    if (kept <= 0 || kept >= text.size() || text.at(kept).isSpace()) return cut;
    const qsizetype lastBreak = text.left(kept).lastIndexOf(' ');
    if (lastBreak <= 0) return cut;
    return text.left(lastBreak).trimmed() + QChar(0x2026);
}

void DrawElided(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text) {
    painter.drawText(rect, alignment | Qt::TextSingleLine, ElideWords(text, painter.fontMetrics(), rect.width()));
}

QString WholeText(const QLabel& label) {
    return label.text() == label.property(kShownText).toString() ? label.property(kWholeText).toString()
                                                                  : label.text();
}

void ShowElided(QLabel* label, const QString& text) {
    if (!label->property(kWholeText).isValid()) {
        label->setWordWrap(false);
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
        label->installEventFilter(&cElidedLabels::Instance());
    }
    label->setText(text);
    label->setProperty(kShownText, text);
    label->setProperty(kWholeText, text);
    cElidedLabels::Fit(*label);
}

}  // namespace dalvero
