#pragma once
// The rows of the discharge view's needs list: each need, sorted by the
// date required after loading.

#include <string>

#include "case_needs.h"
#include "row_list_model.h"

namespace dalvero {

class cNeedListModel : public cRowListModel<cCaseNeeds> {
public:
    // Byte order, as the keys are dates and status codes.
    explicit cNeedListModel(QObject* parent = nullptr);

    // Frees the rows; the next rows come unsorted until sorted again.
    void Clear();
    const cCaseNeeds* Need(int row) const { return At(row); }
    // The row of the need with this Seq; -1 when none.
    int RowOfSeq(const std::string& seq) const;
    void SetStatus(int row, std::string status);
    // The date column sorts by the date, "Item" by the category it shows and
    // "Status" by the status code.
    void HeaderClick(int section, int& sortColumn);
};

}  // namespace dalvero
