#pragma once
// The rows of an open case's physician, family and code lists: a text and
// the ListBoxItemClass entry the row owns. The case screen hands its rows to
// an editor and takes them back when the editor closes.

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
    // Gives every row away and leaves the list empty.
    std::vector<SubListRow> TakeRows();
    // Puts row at position (0 the top; rowCount() the end).
    void Insert(int position, SubListRow row);
    // Moves a row to the top or to the end; the place it lands.
    int MoveToTop(int row);
    int MoveToEnd(int row);
    void Remove(int row);
    // After a row's entry or text changed.
    void RowChanged(int row);

    const std::string& Text(int row) const { return rows_[static_cast<std::size_t>(row)].text; }
    void SetText(int row, std::string text);
    const ListBoxItemClass& Item(int row) const { return *rows_[static_cast<std::size_t>(row)].item; }
    ListBoxItemClass& Item(int row) { return *rows_[static_cast<std::size_t>(row)].item; }

private:
    int Move(int row, int to);

    std::vector<SubListRow> rows_;
};

}  // namespace dalvero
