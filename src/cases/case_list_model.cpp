#include "case_list_model.h"

#include <algorithm>
#include <cctype>

namespace dalvero {

namespace {
bool TextLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}
}  // namespace

int cCaseListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant cCaseListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    return QString::fromStdString(Text(index.row()));
}

void cCaseListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void cCaseListModel::Add(std::string text, cCaseObject object) {
    auto at = rows_.end();
    if (sorted_)
        at = std::upper_bound(rows_.begin(), rows_.end(), text,
                              [](const std::string& t, const Row& row) { return TextLess(t, row.text); });
    const int row = static_cast<int>(at - rows_.begin());
    beginInsertRows({}, row, row);
    rows_.insert(at, Row{std::move(text), std::make_unique<cCaseObject>(std::move(object))});
    endInsertRows();
}

void cCaseListModel::SetSorted(bool on) {
    if (on && !sorted_) Sort();
    sorted_ = on;
}

void cCaseListModel::Sort() {
    emit layoutAboutToBeChanged();
    std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return TextLess(a.text, b.text); });
    emit layoutChanged();
}

void cCaseListModel::Reverse() {
    emit layoutAboutToBeChanged();
    std::reverse(rows_.begin(), rows_.end());
    emit layoutChanged();
}

void cCaseListModel::SetTexts(const std::function<std::string(const cCaseObject&)>& textOf) {
    for (Row& row : rows_) row.text = textOf(*row.object);
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

cCaseObject* cCaseListModel::Object(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    return rows_[static_cast<std::size_t>(row)].object.get();
}

}  // namespace dalvero
