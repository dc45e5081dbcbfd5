#include "column_row_delegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QPainter>

#include "elided_text.h"

namespace dalvero {

namespace {
constexpr int kCellIndent = 2;

Qt::Alignment AlignOf(char align) {
    switch (align) {
    case 'R': return Qt::AlignRight;
    case 'C': return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}
}  // namespace

cColumnRowDelegate::cColumnRowDelegate(Cells cells, Columns columns, int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), cells_(std::move(cells)), columns_(std::move(columns)), rowHeight_(rowHeight) {}

cColumnRowDelegate::Columns cColumnRowDelegate::AtSections(const QHeaderView& header) {
    return [&header] {
        std::vector<ListColumn> columns;
        for (int s = 0; s < header.count(); ++s) columns.push_back({header.sectionPosition(s), header.sectionSize(s)});
        return columns;
    };
}

void cColumnRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, background.widget);
    const std::vector<std::string> cells = cells_(index.row());
    const std::vector<ListColumn> columns = columns_();
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    for (std::size_t c = 0; c < cells.size() && c < columns.size(); ++c) {
        const QRect cell(option.rect.left() + columns[c].left + kCellIndent, option.rect.top(),
                         columns[c].width - 2 * kCellIndent, option.rect.height());
        DrawElided(*painter, cell, AlignOf(columns[c].align) | Qt::AlignVCenter, QString::fromStdString(cells[c]));
    }
    painter->restore();
}

QSize cColumnRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), std::max(rowHeight_, option.fontMetrics.height())};
}

void ShowRows(QListView& list, QAbstractItemModel& model, QAbstractItemDelegate* delegate) {
    list.setModel(&model);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    delegate->setParent(&list);
    list.setItemDelegate(delegate);
}

}  // namespace dalvero
