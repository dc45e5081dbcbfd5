#include "case_list_sort.h"

#include "case_row_text.h"

namespace dalvero {

void SortByColumnClick(cCaseListModel& list, int& sortColumn, int column, double now) {
    list.SortByColumn(column, sortColumn, [now](const cCaseObject& c, int section) { return CaseSortKey(c, section, now); });
}

}  // namespace dalvero
