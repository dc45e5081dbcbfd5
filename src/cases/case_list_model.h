#pragma once
// The rows of a case list (open, previous, history): each a text, which is
// its sort key, and the cCaseObject it owns. Like the list boxes the screens
// were drawn with, the rows are ordered by text, letter case ignored, while
// sorting is on.

#include "case_object.h"
#include "row_list_model.h"

namespace dalvero {

using cCaseListModel = cRowListModel<cCaseObject>;

}  // namespace dalvero
