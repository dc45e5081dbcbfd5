#include "row_list_model.h"

#include <algorithm>
#include <cctype>

namespace dalvero {

bool cRowList::CaselessLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

cRowList::cRowList(QObject* parent, Less less) : QAbstractListModel(parent), less_(std::move(less)) {}

int cRowList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

QVariant cRowList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !HasRow(index.row()) || role != Qt::DisplayRole) return {};
    return QString::fromStdString(Text(index.row()));
}

void cRowList::ClearRows() {
    beginResetModel();
    texts_.clear();
    order_.clear();
    direction_ = 0;
    endResetModel();
}

void cRowList::AddRow(std::string text) {
    auto at = order_.end();
    if (sorted_)
        at = std::upper_bound(order_.begin(), order_.end(), text,
                              [this](const std::string& t, std::size_t item) { return less_(t, texts_[item]); });
    const int row = static_cast<int>(at - order_.begin());
    if (!sorted_) direction_ = 0;
    beginInsertRows({}, row, row);
    order_.insert(at, texts_.size());
    texts_.push_back(std::move(text));
    endInsertRows();
}

void cRowList::InsertRow(int position, std::string text) {
    position = std::clamp(position, 0, rowCount());
    direction_ = 0;
    beginInsertRows({}, position, position);
    order_.insert(order_.begin() + position, texts_.size());
    texts_.push_back(std::move(text));
    endInsertRows();
}

void cRowList::RemoveRow(int row, const std::function<void(std::size_t)>& eraseItem) {
    if (!HasRow(row)) return;
    const std::size_t item = ItemOfRow(row);
    beginRemoveRows({}, row, row);
    order_.erase(order_.begin() + row);
    for (std::size_t& later : order_)
        if (later > item) --later;
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(item));
    eraseItem(item);
    endRemoveRows();
}

int cRowList::MoveRow(int row, int to) {
    if (!HasRow(row) || !HasRow(to) || row == to) return row;
    // Qt counts the destination before the move: past the end is rowCount().
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    const std::size_t item = ItemOfRow(row);
    order_.erase(order_.begin() + row);
    order_.insert(order_.begin() + to, item);
    direction_ = 0;
    endMoveRows();
    return to;
}

void cRowList::SetText(int row, std::string text) {
    if (!HasRow(row)) return;
    texts_[ItemOfRow(row)] = std::move(text);
    direction_ = 0;
    RefreshRow(row);
}

int cRowList::RowOfItem(std::size_t item) const {
    const auto found = std::find(order_.begin(), order_.end(), item);
    return found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

void cRowList::SetSorted(bool on) {
    if (on && !sorted_) Sort();
    sorted_ = on;
}

void cRowList::Sort() {
    emit layoutAboutToBeChanged();
    std::stable_sort(order_.begin(), order_.end(),
                     [this](std::size_t a, std::size_t b) { return less_(texts_[a], texts_[b]); });
    direction_ = 1;
    emit layoutChanged();
}

void cRowList::Reverse() {
    emit layoutAboutToBeChanged();
    std::reverse(order_.begin(), order_.end());
    direction_ = -direction_;
    emit layoutChanged();
}

void cRowList::SetTexts(const std::function<std::string(std::size_t)>& textOf) {
    for (std::size_t item = 0; item < texts_.size(); ++item) texts_[item] = textOf(item);
    direction_ = 0;
    Refresh();
}

void cRowList::SortByColumnKey(int section, int& sortColumn, const std::function<std::string(std::size_t)>& keyOf) {
    const bool sameColumn = section == sortColumn;
    // Before the rows move, so that a header following the list marks the new column.
    sortColumn = section;
    if (sameColumn) {
        if (!sorted_) {
            SetSorted(true);
        } else {
            SetSorted(false);
            Reverse();
        }
    } else {
        SetSorted(false);
        SetTexts(keyOf);
        SetSorted(true);
    }
}

void cRowList::RefreshRow(int row) {
    if (HasRow(row)) emit dataChanged(index(row), index(row));
}

void cRowList::Refresh() {
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1));
}

}  // namespace dalvero
