#include "item_list_model.h"

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

}  // namespace dalvero
