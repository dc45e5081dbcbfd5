#pragma once
// The rows of an open case's physician, family and code lists and of the
// look-up windows: the one row model over ListBoxItemClass entries, in the
// order the user arranges. The case screen hands its rows to an editor and
// takes them back when the editor closes (MoveRowsTo).

#include "case_object.h"
#include "row_list_model.h"

namespace dalvero {

using cItemListModel = cRowListModel<ListBoxItemClass>;

}  // namespace dalvero
