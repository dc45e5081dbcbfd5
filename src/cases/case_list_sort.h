#pragma once
// Sorting the open case list by a click on one of its header sections.

#include "case_list_model.h"

namespace dalvero {

// The current sort column toggles between ascending and reversed order;
// another column gives every row that column's key and sorts ascending.
// sortColumn becomes column.
void SortByColumnClick(cCaseListModel& list, int& sortColumn, int column, double now);

}  // namespace dalvero
