#pragma once
// Draws the rows of the case lists: alternating white and light blue rows,
// one cell per header section, and on the open list the case status square
// and the physician approval circle.

#include <QColor>
#include <QStyledItemDelegate>

#include <optional>
#include <string_view>
#include <vector>

#include "case_row_text.h"

#include "case_list_model.h"

class QHeaderView;

namespace dalvero {


inline constexpr int kCaseRowHeight = 23;

// The status square's fill by the status text's first character: "1" red,
// "2" yellow, "3" green; none (only the outline) for anything else.
std::optional<QColor> StatusColour(std::string_view status);
// Silver when approval was neither requested nor given, yellow while
// requested, green once given.
QColor ApprovalColour(bool requested, bool approved);
// White on even rows, light blue on odd ones.
QColor RowColour(int row);

class cCaseRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // withStatus: the open list, whose header has the status column.
    cCaseRowDelegate(const cCaseListModel& model, const QHeaderView& header, bool withStatus, QObject* parent);
    // A list of its own column order: header section i shows column columns[i].
    cCaseRowDelegate(const cCaseListModel& model, const QHeaderView& header, std::vector<CaseColumn> columns,
                     QObject* parent);

    // The row drawn underlined, -1 for none.
    void SetHoverRow(int row) { hoverRow_ = row; }
    int HoverRow() const { return hoverRow_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void PaintStatus(QPainter& painter, int x, int top, int row) const;

    const cCaseListModel& model_;
    const QHeaderView& header_;
    bool withStatus_;
    std::vector<CaseColumn> columns_;
    int hoverRow_ = -1;
};

}  // namespace dalvero
