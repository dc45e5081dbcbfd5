#include "matching_list.h"

#include <QPainter>
#include <QStyleOptionButton>

#include "elided_text.h"

#include "focus_frame.h"

namespace dalvero {
namespace {
constexpr int kRowHeight = 22;
constexpr int kBox = 14;
constexpr int kBoxTop = 4;
const QColor kDarkGreen(0, 128, 0);

QString Text(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QRect TickBoxRect(const MatchRow& row, const QRect& rowRect) {
    if (row.IsProvider()) return {rowRect.left() + 5, rowRect.top() + kBoxTop, kBox, kBox};
    if (row.Value("DoesQuoteExist") == "Y") return {};
    return {rowRect.left() + 55, rowRect.top() + kBoxTop, kBox, kBox};
}

cMatchRowDelegate::cMatchRowDelegate(const cMatchListModel& rows, QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows) {}

QSize cMatchRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kRowHeight};
}

void cMatchRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index.row() < 0 || index.row() >= rows_.rowCount()) return;
    const MatchRow& row = *rows_.At(index.row());
    painter->save();
    const QRect r = option.rect;
    painter->fillRect(r, Qt::white);
    const QRect box = TickBoxRect(row, r);
    if (!box.isEmpty()) {
        // The style's own tick box, as every check box of the client has.
        QStyleOptionButton tick;
        tick.initFrom(option.widget);
        tick.rect = box;
        tick.state = QStyle::State_Enabled | (row.ticked ? QStyle::State_On : QStyle::State_Off);
        option.widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &tick, painter, option.widget);
    }
    const auto text = [&](int x, int width, const std::string& s, const QColor& colour, bool bold) {
        QFont font = option.font;
        font.setBold(bold);
        painter->setFont(font);
        painter->setPen(colour);
        DrawElided(*painter, QRect(r.left() + x, r.top(), width, r.height()), Qt::AlignLeft | Qt::AlignVCenter, Text(s));
    };
    if (row.IsProvider()) {
        const bool primary = row.Value("PrimaryInsMatched") == "Y";
        const bool secondary = row.Value("SecondaryInsMatched") == "Y";
        const QColor colour = primary && secondary ? kDarkGreen : primary ? QColor(Qt::blue) : QColor(Qt::red);
        text(30, 460, row.Value("Name"), colour, true);
        if (row.Value("NoEmail") == "Y") text(500, 120, "NO EMAIL", Qt::black, false);
        if (row.Value("IsPreferred") == "Y") text(r.width() - 100, 100, "Preferred", kDarkGreen, true);
    } else {
        text(80, 410, row.Value("Name"), Qt::black, false);
        if (row.Value("DoesQuoteExist") == "Y")
            text(500, r.width() - 500,
                 row.Value("IsChosenQuote") == "Y" ? "We have chosen this provider" : "Provider can handle this",
                 Qt::black, false);
    }
    if (option.state & QStyle::State_HasFocus) PaintFocusMark(*painter, r);
    painter->restore();
}

}  // namespace dalvero
