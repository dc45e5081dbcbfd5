#pragma once
// The filter of a query: comma text of conditions, each a field of the table
// read, an operator ("=", "!=", ">=", "<=") and a value ("f18=Y", "f5!=Y",
// "f24=", "f13>=01/31/2004").

#include <string>
#include <string_view>
#include <vector>

#include "schema.h"

namespace dalvero::server {

// With dateBounds, a value written with "/" is a date ("mm/dd/yyyy")
// compared with the date part of the field. Throws RequestError.
std::vector<Condition> ParseFilter(const schema::TableDef& table, std::string_view filter, bool dateBounds);

// "mm/dd/yyyy" as "yyyymmdd"; throws RequestError when it is no date.
std::string DateBound(std::string_view text);

}  // namespace dalvero::server
