#include "quote_row_delegate.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionButton>

#include "elided_text.h"
#include "focus_frame.h"
#include "quote_list_model.h"
#include "table_catalogue.h"

namespace dalvero {
namespace {
const QColor kGrey(0xC0, 0xC0, 0xC0);
enum Section { kProvider, kPrice, kStatus, kNote, kButton, kAwarded };

QString Text(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

cQuoteRowDelegate::cQuoteRowDelegate(const cQuoteListModel& rows, const QHeaderView& header,
                                     std::function<std::string()> awarded, QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows), header_(header), awarded_(std::move(awarded)) {}

QSize cQuoteRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kQuoteRowHeight};
}

QRect cQuoteRowDelegate::ChangeStatusRect(const QHeaderView& header, const QRect& row) {
    return {row.left() + header.sectionPosition(kButton) + 2, row.top() + 2, 81, kQuoteRowHeight - 4};
}

QRect cQuoteRowDelegate::AwardedRect(const QHeaderView& header, const QRect& row) {
    const int left = row.left() + header.sectionPosition(kAwarded);
    return QRect(QPoint(left + 23, row.top() + 5), QPoint(left + 37, row.top() + 19));
}

void cQuoteRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const DischargeItemListDataClass* quote = rows_.Quote(index.row());
    if (!quote) return;
    painter->save();
    const QRect r = option.rect;
    painter->fillRect(r, Qt::white);
    const bool awarded = !quote->Seq.empty() && quote->Seq == awarded_();
    QFont font = option.font;
    font.setPointSize(10);
    font.setBold(awarded);
    painter->setFont(font);
    painter->setPen(Qt::black);
    const auto cell = [&](int section) {
        return QRect(r.left() + header_.sectionPosition(section), r.top(), header_.sectionSize(section), r.height());
    };
    const QuoteState state = quote->State();
    DrawElided(*painter, cell(kProvider).adjusted(5, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
               Text(quote->Values.Value("pe10")));
    painter->drawText(cell(kPrice).adjusted(0, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter,
                      Text(PriceText(quote->Values.Value("f13"))));
    painter->drawText(cell(kStatus).adjusted(5, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      Text(QuoteStatusWord(state.status)));
    DrawElided(*painter, cell(kNote).adjusted(5, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
               Text(QuoteNoteText(state)));

    // Drawn by the style, so it is the same button as every other one.
    QStyleOptionButton button;
    button.initFrom(option.widget);
    button.rect = ChangeStatusRect(header_, r);
    button.text = "Change Status";
    button.state = QStyle::State_Enabled;
    QFont small = option.font;
    small.setPointSize(8);
    painter->setFont(small);
    option.widget->style()->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);

    painter->setRenderHint(QPainter::Antialiasing);
    const QRect circle = AwardedRect(header_, r);
    const bool accepted = state.status == catalogue::quotes::kAccepted;
    painter->setPen(accepted ? QColor(Qt::black) : kGrey);
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(circle);
    if (awarded) {
        painter->setBrush(Qt::black);
        painter->drawEllipse(circle.adjusted(2, 2, -2, -2));
    }
    if (option.state & QStyle::State_HasFocus)
        PaintFocusMark(*painter, (keysOnAward_ ? circle : button.rect).adjusted(-3, -3, 3, 3));
    painter->restore();
}

}  // namespace dalvero
