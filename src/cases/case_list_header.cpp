#include "case_list_header.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>

namespace dalvero {

namespace {
const QColor kHeaderColour(213, 234, 255);
const QColor kEdgeColour(160, 190, 225);
constexpr int kTitleIndent = 3;
}  // namespace

cCaseListHeader::cCaseListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), titles_(new QStandardItemModel(this)) {
    setModel(titles_);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
}

void cCaseListHeader::SetSections(const std::vector<std::pair<const char*, int>>& sections) {
    titles_->setColumnCount(static_cast<int>(sections.size()));
    for (int i = 0; i < static_cast<int>(sections.size()); ++i) {
        titles_->setHeaderData(i, Qt::Horizontal, QString::fromUtf8(sections[static_cast<std::size_t>(i)].first));
        resizeSection(i, sections[static_cast<std::size_t>(i)].second);
    }
}

void cCaseListHeader::KeepColumnsWhole(QAbstractScrollArea& list) const {
    list.setMinimumWidth(length() + 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width());
}

void cCaseListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, kHeaderColour);
    painter->setPen(kEdgeColour);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(Qt::black);
    const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    painter->drawText(rect.adjusted(kTitleIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      title);
    painter->restore();
}

}  // namespace dalvero
