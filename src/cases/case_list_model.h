#pragma once
// The rows of a case list: each a text, which is its sort key, and the
// cCaseObject it owns. Like the list boxes the screens were drawn with, the
// list keeps its rows ordered by text while sorting is on.

#include <QAbstractListModel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "case_object.h"

namespace dalvero {

class cCaseListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Frees every row's object.
    void Clear();
    // Appends, or inserts in text order while sorting is on.
    void Add(std::string text, cCaseObject object);

    bool Sorted() const { return sorted_; }
    // Switching on orders the rows by text, letter case ignored; switching
    // off leaves them as they are.
    void SetSorted(bool on);
    // Exchanges rows i and count-1-i.
    void Reverse();
    // Gives every row the text made from its object.
    void SetTexts(const std::function<std::string(const cCaseObject&)>& textOf);

    const std::string& Text(int row) const { return rows_[static_cast<std::size_t>(row)].text; }
    cCaseObject* Object(int row) const;

private:
    struct Row {
        std::string text;
        std::unique_ptr<cCaseObject> object;
    };
    void Sort();

    std::vector<Row> rows_;
    bool sorted_ = false;
};

}  // namespace dalvero
