#pragma once
// The rows of an open case's physician, family and code lists: a text and
// the ListBoxItemClass entry the row owns.

#include <QAbstractListModel>

#include <vector>

#include "case_queries.h"

namespace dalvero {

class cItemListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Frees every row's entry.
    void Clear();
    // Replaces the rows.
    void SetRows(std::vector<SubListRow> rows);

    const std::string& Text(int row) const { return rows_[static_cast<std::size_t>(row)].text; }
    const ListBoxItemClass& Item(int row) const { return *rows_[static_cast<std::size_t>(row)].item; }

private:
    std::vector<SubListRow> rows_;
};

}  // namespace dalvero
