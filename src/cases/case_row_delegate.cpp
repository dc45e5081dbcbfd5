#include "case_row_delegate.h"

#include <QHeaderView>
#include <QPainter>

#include "case_list_model.h"
#include "case_row_text.h"
#include "elided_text.h"

namespace dalvero {

namespace {
const QColor kOddRow(225, 225, 255);
const QColor kGreen(0, 128, 0);
const QColor kSilver(192, 192, 192);

// Shapes of the status cell, relative to its left edge and the row's top.
const QRect kStatusSquare(20, 4, 30, 15);
const QRect kApprovalCircle(80, 4, 15, 15);
constexpr int kFirstCellX = 1;
constexpr int kTextTop = 1;
// Room kept between a cell's text and the next column.
constexpr int kCellGap = 4;
}  // namespace

std::optional<QColor> StatusColour(std::string_view status) {
    if (status.empty()) return std::nullopt;
    switch (status.front()) {
    case '1': return QColor(Qt::red);
    case '2': return QColor(Qt::yellow);
    case '3': return kGreen;
    default: return std::nullopt;
    }
}

QColor ApprovalColour(bool requested, bool approved) {
    if (approved) return kGreen;
    return requested ? QColor(Qt::yellow) : kSilver;
}

QColor RowColour(int row) { return row % 2 == 0 ? QColor(Qt::white) : kOddRow; }

cCaseRowDelegate::cCaseRowDelegate(const cCaseListModel& model, const QHeaderView& header, bool withStatus,
                                   QObject* parent)
    : QStyledItemDelegate(parent), model_(model), header_(header), withStatus_(withStatus) {}

cCaseRowDelegate::cCaseRowDelegate(const cCaseListModel& model, const QHeaderView& header,
                                   std::vector<CaseColumn> columns, QObject* parent)
    : QStyledItemDelegate(parent), model_(model), header_(header), withStatus_(false), columns_(std::move(columns)) {}

void cCaseRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const cCaseObject* c = model_.At(index.row());
    if (!c) return;
    const QRect& r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(r, selected ? option.palette.highlight().color() : RowColour(index.row()));
    QFont font = option.font;
    font.setUnderline(index.row() == hoverRow_);
    painter->setFont(font);
    const QColor ink = selected ? option.palette.highlightedText().color() : QColor(Qt::black);
    painter->setPen(ink);

    const std::vector<std::string> cells = CaseCellTexts(*c, LocalNow());
    int x = r.left() + kFirstCellX;
    int column = 0;
    for (int section = 0; section < header_.count() && column < kCaseColumnCount; ++section, ++column) {
        if (!withStatus_ && column == kStatusColumn) ++column;
        if (!columns_.empty()) {
            if (static_cast<std::size_t>(section) >= columns_.size()) break;
            column = columns_[static_cast<std::size_t>(section)];
        }
        const int width = header_.sectionSize(section);
        if (column == kStatusColumn) {
            PaintStatus(*painter, x, r.top(), index.row());
            painter->setPen(ink);
        } else {
            const QRect cell(x, r.top() + kTextTop, width - kCellGap, r.height() - kTextTop);
            DrawElided(*painter, cell, Qt::AlignLeft | Qt::AlignTop,
                       QString::fromStdString(cells[static_cast<std::size_t>(column)]));
        }
        x += width;
    }
    painter->restore();
}

void cCaseRowDelegate::PaintStatus(QPainter& painter, int x, int top, int row) const {
    const cCaseObject& c = *model_.At(row);
    painter.setPen(Qt::black);
    const std::optional<QColor> status = StatusColour(c.Status);
    if (status)
        painter.setBrush(*status);
    else
        painter.setBrush(Qt::NoBrush);
    painter.drawRect(kStatusSquare.translated(x, top).adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(ApprovalColour(c.ApprovalRequested, c.Approved));
    painter.drawEllipse(kApprovalCircle.translated(x, top).adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing, false);
}

QSize cCaseRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {header_.length(), kCaseRowHeight};
}

}  // namespace dalvero
