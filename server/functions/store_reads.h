#pragma once
// The few shapes of reading that the commands share.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage.h"

namespace dalvero::server::functions {

// A field's text; empty when the record does not hold it or holds the
// explicit empty mark "~~~".
std::string Field(const Record& record, int field);

// Every record of table whose field equals value, in Seq order.
std::vector<Record> RecordsWhere(Storage& storage, std::string_view table, int field, std::string_view value,
                                 std::vector<Condition> more = {});

// The record that a link field names by its Seq text; nullopt when the text
// is no Seq or no such record exists.
std::optional<Record> ReadLinked(Storage& storage, std::string_view table, std::string_view seqText);

}  // namespace dalvero::server::functions
