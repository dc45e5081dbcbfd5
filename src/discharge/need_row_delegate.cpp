#include "need_row_delegate.h"

#include <QHeaderView>
#include <QPainter>

#include "case_needs.h"
#include "elided_text.h"
#include "need_list_model.h"

namespace dalvero {
namespace {
const QColor kDimmed(0x80, 0x80, 0x80);
const QColor kBand(0xF2, 0xF2, 0xF2);
constexpr int kBoxWidth = 40;
constexpr int kBoxHeight = 15;
constexpr int kLineHeight = 17;

QString Text(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

cNeedRowDelegate::cNeedRowDelegate(const cNeedListModel& rows, const QHeaderView& header,
                                   std::function<QColor(NeedColour)> colourOf, std::function<bool()> dimmed,
                                   QObject* parent)
    : QStyledItemDelegate(parent),
      rows_(rows),
      header_(header),
      colourOf_(std::move(colourOf)),
      dimmed_(std::move(dimmed)) {}

QSize cNeedRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kNeedRowHeight};
}

void cNeedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const cCaseNeeds* need = rows_.Need(index.row());
    if (!need) return;
    painter->save();
    const QRect r = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool dimmed = dimmed_();
    painter->fillRect(r, selected ? option.palette.highlight().color() : dimmed ? kDimmed : QColor(Qt::white));
    if (!dimmed && !selected) painter->fillRect(QRect(r.left(), r.top() + 2 * (kNeedRowHeight / 3), r.width(),
                                                      kNeedRowHeight - 2 * (kNeedRowHeight / 3)), kBand);
    painter->setPen(selected ? option.palette.highlightedText().color() : QColor(Qt::black));
    const int second = header_.sectionSize(0) + 4;
    const int status = header_.sectionSize(0) + header_.sectionSize(1) + 4;
    const auto line = [&](int x, int y, int width, const std::string& text) {
        DrawElided(*painter, QRect(r.left() + x, r.top() + y, width, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Text(text));
    };
    line(4, 1, second - 8, RequiredToDisplay(need->Required));
    line(second, 1, status - second - 4, need->CategoryName);
    line(4, 18, status - 8, need->Description);
    const NeedColour colour = NeedStatusColour(need->Status);
    if (colour != NeedColour::kNone)
        painter->fillRect(QRect(r.left() + status, r.top() + 4, kBoxWidth, kBoxHeight), colourOf_(colour));
    line(status, 22, r.width() - status, NeedStatusText(need->Status));
    painter->restore();
}

}  // namespace dalvero
