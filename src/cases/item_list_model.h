#pragma once
// The rows of an open case's physician, family and code lists: a text and
// the ListBoxItemClass entry the row owns, in the order the query gave.

#include "case_object.h"
#include "row_list_model.h"

namespace dalvero {

using cItemListModel = cRowListModel<ListBoxItemClass>;

}  // namespace dalvero
