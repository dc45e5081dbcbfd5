#include "sortable_list_model.h"

#include <algorithm>

namespace dalvero {

int cSortableListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

QVariant cSortableListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    return QString::fromStdString(texts_[ItemOfRow(index.row())]);
}

void cSortableListModel::ClearRows() {
    beginResetModel();
    texts_.clear();
    order_.clear();
    sorted_ = false;
    endResetModel();
}

void cSortableListModel::AddRow(std::string text) {
    beginInsertRows({}, rowCount(), rowCount());
    order_.push_back(texts_.size());
    texts_.push_back(std::move(text));
    endInsertRows();
    if (sorted_) SetSorted(true);
}

int cSortableListModel::RowOfItem(std::size_t item) const {
    const auto found = std::find(order_.begin(), order_.end(), item);
    return found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

void cSortableListModel::SetSorted(bool on) {
    sorted_ = on;
    if (!on) return;
    emit layoutAboutToBeChanged();
    std::stable_sort(order_.begin(), order_.end(),
                     [this](std::size_t a, std::size_t b) { return texts_[a] < texts_[b]; });
    emit layoutChanged();
}

void cSortableListModel::Reverse() {
    emit layoutAboutToBeChanged();
    std::reverse(order_.begin(), order_.end());
    emit layoutChanged();
}

void cSortableListModel::HeaderClick(int section, int& sortColumn,
                                     const std::function<std::string(std::size_t, int)>& keyOf) {
    if (section == sortColumn) {
        if (!sorted_) {
            SetSorted(true);
        } else {
            SetSorted(false);
            Reverse();
        }
    } else {
        SetSorted(false);
        for (std::size_t item = 0; item < texts_.size(); ++item) texts_[item] = keyOf(item, section);
        SetSorted(true);
    }
    sortColumn = section;
}

void cSortableListModel::RefreshRow(int row) {
    if (row >= 0 && row < rowCount()) emit dataChanged(index(row), index(row));
}

}  // namespace dalvero
