#pragma once
// How the lists are filtered, sorted and paged: kept between loads so that a
// reload shows the list the way the user left it.

#include "record_batch.h"

namespace dalvero {

struct ListSettings {
    bool ShowAllOpenCases = false;
    bool ShowAllPreviousCases = false;
    int OpenListSortColumn = -1;
    int PreviousListSortColumn = -1;
    // A case list column (CaseColumn); the admit date after each load.
    int HistorySortColumn = 0;
    cRecordBatch PreviousListBatch;
    int NeedListSortColumn = 0;
    int QuoteListSortColumn = -1;
};

}  // namespace dalvero
