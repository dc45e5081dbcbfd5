#include "item_list_model.h"

#include <algorithm>

namespace dalvero {

int cItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant cItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    return QString::fromStdString(Text(index.row()));
}

void cItemListModel::Clear() { SetRows({}); }

void cItemListModel::SetRows(std::vector<SubListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

std::vector<SubListRow> cItemListModel::TakeRows() {
    beginResetModel();
    std::vector<SubListRow> taken = std::move(rows_);
    rows_.clear();
    endResetModel();
    return taken;
}

void cItemListModel::Insert(int position, SubListRow row) {
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position);
    rows_.insert(rows_.begin() + position, std::move(row));
    endInsertRows();
}

int cItemListModel::MoveToTop(int row) { return Move(row, 0); }

int cItemListModel::MoveToEnd(int row) { return Move(row, rowCount() - 1); }

int cItemListModel::Move(int row, int to) {
    if (row == to) return row;
    // Qt counts the destination before the move: past the end is rowCount().
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    SubListRow moved = std::move(rows_[static_cast<std::size_t>(row)]);
    rows_.erase(rows_.begin() + row);
    rows_.insert(rows_.begin() + to, std::move(moved));
    endMoveRows();
    return to;
}

void cItemListModel::Remove(int row) {
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void cItemListModel::RowChanged(int row) { emit dataChanged(index(row), index(row)); }

void cItemListModel::SetText(int row, std::string text) {
    rows_[static_cast<std::size_t>(row)].text = std::move(text);
    RowChanged(row);
}

}  // namespace dalvero
