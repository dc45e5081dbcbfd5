#pragma once
// The matching-providers list: the rows of matching_rows.h shown through
// the row model, each row's text its data as one comma text, never sorted;
// and their drawing: a provider in the colour of its insurance match with
// its tick box, its needs indented under it; the current row marked while
// the list has the focus.

#include <QStyledItemDelegate>

#include "matching_rows.h"
#include "row_list_model.h"

namespace dalvero {

using cMatchListModel = cRowListModel<MatchRow>;

// Where row's tick box is (relative to the row's rectangle); an empty
// rectangle for a need that a provider already has a quote for.
QRect TickBoxRect(const MatchRow& row, const QRect& rowRect);

class cMatchRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    cMatchRowDelegate(const cMatchListModel& rows, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const cMatchListModel& rows_;
};

}  // namespace dalvero
