#pragma once
// Tables and server lists as requests name them, and the conditions that
// make a list's members for a key.

#include <string_view>
#include <vector>

#include "schema.h"

namespace dalvero::server {

// The table a request names, with or without the ".def" ending the client's
// table files carry. Throws RequestError.
const schema::TableDef& RequireTable(std::string_view name);
// "L2" (query index) or "2" (record requests' list number).
const schema::ListDef& RequireList(const schema::TableDef& table, std::string_view name);

// The members of a list read from a key (queries).
std::vector<Condition> MemberConditions(const schema::ListDef& list, std::string_view key);
// The records a key finds in a list (record requests): the key matches its
// field exactly, and an owner, when given, the list's owner field.
std::vector<Condition> FindConditions(const schema::TableDef& table, const schema::ListDef& list,
                                      std::string_view key, std::string_view owner);

// A Seq as requests write it; throws RequestError unless it is a whole number.
std::int64_t ParseSeq(std::string_view text);

}  // namespace dalvero::server
