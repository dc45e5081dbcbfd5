#pragma once
// The matching-providers list: the rows of matching_rows.h shown through a
// model, and their drawing: a provider in the colour of its insurance match
// with its tick box, its needs indented under it.

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <vector>

#include "matching_rows.h"

namespace dalvero {

class cMatchListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    // The row's data as one comma text.
    QVariant data(const QModelIndex& index, int role) const override;

    void SetRows(std::vector<MatchRow> rows);
    std::vector<MatchRow>& Rows() { return rows_; }
    const std::vector<MatchRow>& Rows() const { return rows_; }
    // After ticks changed.
    void Refresh();

private:
    std::vector<MatchRow> rows_;
};

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
