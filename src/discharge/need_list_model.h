#pragma once
// The rows of the discharge view's needs list: each need, sorted by the
// date required after loading.

#include <string>
#include <vector>

#include "case_needs.h"
#include "sortable_list_model.h"

namespace dalvero {

class cNeedListModel : public cSortableListModel {
    Q_OBJECT
public:
    using cSortableListModel::cSortableListModel;

    void Clear();
    void Add(std::string text, cCaseNeeds need);
    const cCaseNeeds* Need(int row) const;
    // The row of the need with this Seq; -1 when none.
    int RowOfSeq(const std::string& seq) const;
    void SetStatus(int row, std::string status);
    // The date column sorts by the date, "Item" by the category it shows and
    // "Status" by the status code.
    void HeaderClick(int section, int& sortColumn);

private:
    std::vector<cCaseNeeds> needs_;
};

}  // namespace dalvero
