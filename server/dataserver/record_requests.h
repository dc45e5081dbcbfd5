#pragma once
// Single-record requests (command 31001): add, update, delete, read by Seq or
// find by a list's key, and read selected fields.
//
// Replies: an add answers the new Seq alone; update and delete answer "OK";
// a read answers a first item that is no field (the table's name), then
// fields f1..fN in order, empty ones as empty items, then the alias fields
// asked for; a selected-fields read answers one item "Fields" holding
// name=value comma text. A missing record reads as "~". Stored text is kept
// as sent ("||" stays "||"); a written "~~~" empties its field. A Personnel
// password is stored as its salted hash.

#include <cstdint>
#include <string>
#include <string_view>

#include "storage.h"

namespace dalvero::server {

// Throws RequestError for requests it cannot serve.
std::string HandleRecordRequest(Storage& storage, std::uint32_t subCommand, std::string_view payload);

}  // namespace dalvero::server
