#include "list_header.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStandardItemModel>

#include "row_list_model.h"

namespace dalvero {

namespace {
const QColor kHeaderColour(213, 234, 255);
const QColor kEdgeColour(160, 190, 225);
constexpr int kTitleIndent = 3;
constexpr int kTitleMargin = 4;
constexpr int kArrowSize = 7;
constexpr int kArrowMargin = 6;

void PaintArrow(QPainter& painter, const QRect& section, bool ascending) {
    const double half = kArrowSize / 2.0;
    const QPointF centre(section.right() - kArrowMargin - half, section.center().y() + 0.5);
    const double tipY = ascending ? centre.y() - half / 1.5 : centre.y() + half / 1.5;
    const double baseY = ascending ? centre.y() + half / 1.5 : centre.y() - half / 1.5;
    QPainterPath arrow;
    arrow.moveTo(centre.x(), tipY);
    arrow.lineTo(centre.x() + half, baseY);
    arrow.lineTo(centre.x() - half, baseY);
    arrow.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(arrow, QColor(70, 90, 120));
}
}  // namespace

cListHeader::cListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent), titles_(new QStandardItemModel(this)) {
    setModel(titles_);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setSortIndicatorShown(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void cListHeader::SetSections(const std::vector<std::pair<const char*, int>>& sections) {
    titles_->setColumnCount(static_cast<int>(sections.size()));
    for (int i = 0; i < static_cast<int>(sections.size()); ++i) {
        titles_->setHeaderData(i, Qt::Horizontal, QString::fromUtf8(sections[static_cast<std::size_t>(i)].first));
        resizeSection(i, sections[static_cast<std::size_t>(i)].second);
    }
}

QSize cListHeader::sizeHint() const {
    return {QHeaderView::sizeHint().width(), fontMetrics().height() + 2 * kTitleMargin};
}

void cListHeader::KeepColumnsWhole(QAbstractScrollArea& list) const {
    int columns = 0;
    for (int i = 0; i < count(); ++i) columns += sectionSize(i);
    list.setMinimumWidth(columns + 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width());
}

void cListHeader::FollowSort(const cRowList& rows, const int& sortColumn) {
    const auto mark = [this, &rows, &sortColumn] {
        const bool shown = sortColumn >= 0 && rows.Direction() != 0;
        setSortIndicatorShown(shown);
        if (shown) setSortIndicator(sortColumn, rows.Direction() > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        viewport()->update();
    };
    connect(&rows, &QAbstractItemModel::layoutChanged, this, mark);
    connect(&rows, &QAbstractItemModel::modelReset, this, mark);
    connect(&rows, &QAbstractItemModel::rowsInserted, this, mark);
    connect(&rows, &QAbstractItemModel::dataChanged, this, mark);
}

void cListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, kHeaderColour);
    painter->setPen(kEdgeColour);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(Qt::black);
    const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    painter->drawText(rect.adjusted(kTitleIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      title);
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex)
        PaintArrow(*painter, rect, sortIndicatorOrder() == Qt::AscendingOrder);
    painter->restore();
}

}  // namespace dalvero
