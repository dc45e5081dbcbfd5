#pragma once
// A list whose rows sort by a text kept for each row, as the discharge
// screens' header clicks sort them: a click on the sort column sorts an
// unsorted list ascending and turns a sorted one around; a click on another
// column makes each row's text its key for that column and sorts.
// Derived models keep their items in the order added and show them
// through Item(row).

#include <QAbstractListModel>

#include <functional>
#include <string>
#include <vector>

namespace dalvero {

class cSortableListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    bool Sorted() const { return sorted_; }
    // Turning sorting on orders the rows by their texts, ascending and stable.
    void SetSorted(bool on);
    void Reverse();
    // A header click on section; sortColumn is the list's sort column and
    // becomes section. keyOf gives an item's key for a section.
    void HeaderClick(int section, int& sortColumn,
                     const std::function<std::string(std::size_t item, int section)>& keyOf);
    void RefreshRow(int row);

protected:
    void ClearRows();
    void AddRow(std::string text);
    // The item that row shows; only valid for 0 <= row < rowCount().
    std::size_t ItemOfRow(int row) const { return order_[static_cast<std::size_t>(row)]; }
    int RowOfItem(std::size_t item) const;

private:
    std::vector<std::string> texts_;   // by item
    std::vector<std::size_t> order_;   // row -> item
    bool sorted_ = false;
};

}  // namespace dalvero
