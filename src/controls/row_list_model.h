#pragma once
// The one list model of the client's lists: each row shows a text and owns
// an item. The texts are the sort key, compared the way the list passes in
// (letter case ignored unless told otherwise). Items keep the order they were
// added in and their places in memory while rows are sorted, reversed or
// moved, so a pointer to an item stays good until the list is cleared or a
// row removed. Lists the user arranges by hand insert, move and remove rows.

#include <QAbstractListModel>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace dalvero {

class cRowList : public QAbstractListModel {
public:
    using Less = std::function<bool(const std::string&, const std::string&)>;
    // Texts compared letter by letter, letter case ignored.
    static bool CaselessLess(const std::string& a, const std::string& b);

    explicit cRowList(QObject* parent = nullptr, Less less = &CaselessLess);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    bool Sorted() const { return sorted_; }
    // Switching on orders the rows by their texts, stable; switching off
    // leaves them as they are. While on, added rows go to their place.
    void SetSorted(bool on);
    // Exchanges rows i and count-1-i.
    void Reverse();
    // 1 while the rows are in ascending text order, -1 in descending order,
    // 0 in the order added or after their texts changed.
    int Direction() const { return direction_; }
    const std::string& Text(int row) const { return texts_[ItemOfRow(row)]; }
    // A row's new text; the rows count as unsorted from then on.
    void SetText(int row, std::string text);
    // Moves row to the place to (0 the top, rowCount() - 1 the end); the
    // place it lands.
    int MoveRow(int row, int to);
    // After a row's item changed in place.
    void RefreshRow(int row);
    void Refresh();

protected:
    void ClearRows();
    void AddRow(std::string text);
    // The row of the item added last, put at position (0 the top, rowCount()
    // the end) whatever the sorting.
    void InsertRow(int position, std::string text);
    // Removes row; eraseItem frees its item, after which every later item
    // is one place down.
    void RemoveRow(int row, const std::function<void(std::size_t item)>& eraseItem);
    // A header click on section: the sort column turns a sorted list around
    // and sorts an unsorted one; another column gives every row keyOf(item)
    // as its text and sorts. sortColumn becomes section.
    void SortByColumnKey(int section, int& sortColumn, const std::function<std::string(std::size_t item)>& keyOf);
    void SetTexts(const std::function<std::string(std::size_t item)>& textOf);
    // The item that row shows; only valid for 0 <= row < rowCount().
    std::size_t ItemOfRow(int row) const { return order_[static_cast<std::size_t>(row)]; }
    int RowOfItem(std::size_t item) const;
    bool HasRow(int row) const { return row >= 0 && row < rowCount(); }

private:
    void Sort();

    Less less_;
    std::vector<std::string> texts_;  // by item
    std::vector<std::size_t> order_;  // row -> item
    bool sorted_ = false;
    int direction_ = 0;
};

template <typename Item>
class cRowListModel : public cRowList {
public:
    using cRowList::cRowList;

    // Frees every row's item.
    void Clear() {
        ClearRows();
        items_.clear();
    }
    // Appends, or inserts in text order while sorting is on.
    void Add(std::string text, Item item) {
        items_.push_back(std::move(item));
        AddRow(std::move(text));
    }
    // Puts a row at position (0 the top, rowCount() the end), whatever the sorting.
    void Insert(int position, std::string text, Item item) {
        items_.push_back(std::move(item));
        InsertRow(position, std::move(text));
    }
    void Remove(int row) {
        RemoveRow(row, [this](std::size_t i) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i)); });
    }
    // Hands every row, in its order, to other, which loses its own; this
    // list is left empty.
    void MoveRowsTo(cRowListModel& other) {
        other.Clear();
        for (int row = 0; row < rowCount(); ++row) other.Add(Text(row), std::move(*At(row)));
        Clear();
    }
    // The item row shows; none outside the list.
    Item* At(int row) { return HasRow(row) ? &items_[ItemOfRow(row)] : nullptr; }
    const Item* At(int row) const { return HasRow(row) ? &items_[ItemOfRow(row)] : nullptr; }
    // The items in the order added; call Refresh after changing them.
    std::deque<Item>& Items() { return items_; }
    const std::deque<Item>& Items() const { return items_; }
    // The row of the first item that matches; -1 when none does.
    int RowWhere(const std::function<bool(const Item&)>& matches) const {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (matches(items_[i])) return RowOfItem(i);
        return -1;
    }
    // Gives every row the text made from its item.
    void SetTexts(const std::function<std::string(const Item&)>& textOf) {
        cRowList::SetTexts([&](std::size_t i) { return textOf(items_[i]); });
    }
    // A header click on section (see SortByColumnKey); keyOf gives an item's
    // key for a column.
    void SortByColumn(int section, int& sortColumn, const std::function<std::string(const Item&, int)>& keyOf) {
        SortByColumnKey(section, sortColumn, [&](std::size_t i) { return keyOf(items_[i], section); });
    }

private:
    std::deque<Item> items_;
};

}  // namespace dalvero
