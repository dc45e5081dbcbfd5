#pragma once
// Single-record requests (command 31001): add, update, delete, read by Seq or
// find by a list's key, and read selected fields.
//
// Writes keep to the write rules (write_rules.h): a broken one is refused
// with its own text. An update may carry, beside "fN=value", the value a
// field was loaded with as "Loaded.fN=value"; it is then refused (code
// refusal::kChanged) when the stored value is no longer that one.
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

// Who writes, and the store the write rules read: their reads are the
// server's, not the person's, and leave no trail.
struct WriteContext {
    Storage* store = nullptr;  // none: the rules read through the person's view
    std::int64_t person = 0;   // Personnel Seq, kept with a case they close
};

// Throws RequestError for requests it cannot serve. A refusal that tells of
// a record (closed, changed) reaches only someone who may read it.
std::string HandleRecordRequest(Storage& storage, std::uint32_t subCommand, std::string_view payload,
                                const WriteContext& writer = {});

}  // namespace dalvero::server
