#include "case_list_sort.h"

#include "case_list_model.h"
#include "case_row_text.h"

namespace dalvero {

void SortByColumnClick(cCaseListModel& list, int& sortColumn, int column, double now) {
    if (column == sortColumn) {
        if (list.Sorted()) {
            list.SetSorted(false);
            list.Reverse();
        } else {
            list.SetSorted(true);
        }
    } else {
        list.SetSorted(false);
        list.SetTexts([&](const cCaseObject& c) { return CaseSortKey(c, column, now); });
        list.SetSorted(true);
    }
    sortColumn = column;
}

}  // namespace dalvero
