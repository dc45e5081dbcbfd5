#pragma once
// Single-record requests on the DataServer: add, update, delete, read by Seq,
// find by a key in one of the table's server lists, and read selected fields.
// Each builds its request in the connection's RequestValues and makes one
// exchange. Failures give false (or an empty Seq); the reason stays in the
// connection's ErrorText and ErrorCode or in the returned values.
//
// Value items are "fN=value" ("f25=" empties field 25; "~~~" also writes an
// empty field). CR LF inside a value travels as "||" and is read back as CR
// LF by every read except FindRecord.

#include <string>
#include <string_view>

#include "string_list.h"

namespace dalvero {

// The reply to a read of a record that is not there.
inline constexpr char kMissingRecord[] = "~";

class dbServerConnection;

// The server's reason for the last write it refused for good (the case is
// closed, a value it does not take); empty for any other failure, which a
// retry may get past.
std::string LastingRefusal(const dbServerConnection& connection);

// A CR LF pair cannot travel inside a value: it is sent as "||" and read back.
std::string EncodeLineBreaks(std::string_view value);
std::string DecodeLineBreaks(std::string_view value);

// The new record's Seq; empty when the add failed.
std::string AddRecord(dbServerConnection& connection, std::string_view table, const StringList& values);
bool UpdateRecord(dbServerConnection& connection, std::string_view table, std::string_view seq,
                  const StringList& values);
bool DeleteRecord(dbServerConnection& connection, std::string_view table, std::string_view seq);

// values: item 0 (not a field), item i = field fi, then one item per name of
// aliasFields. A missing record gives false with the single value "~".
bool ReadRecord(dbServerConnection& connection, std::string_view table, std::string_view seq, StringList& values,
                std::string_view aliasList = {}, std::string_view aliasFields = {});
// The record that key finds in the table's list listNumber, values as
// ReadRecord's but exactly as received ("~~~" and "||" stay).
bool FindRecord(dbServerConnection& connection, std::string_view table, int listNumber, std::string_view key,
                std::string_view owner, StringList& values, std::string_view aliasList = {},
                std::string_view aliasFields = {});

// Selected fields of one record as name=value comma text in result ("Seq"
// first). fieldList names own fields ("f11", notes "f1001") and, with an
// alias list, joined ones ("P10"); empty or "*" gives every own field. On
// failure result holds "~" or an "Error=..." item.
bool GetRecordFields(dbServerConnection& connection, std::string_view table, std::string_view seq,
                     std::string_view fieldList, std::string& result, std::string_view aliasList = {});

// fields: in, the field list ("all" for every field); out, name=value comma
// text of the fields returned, "~" for a missing record, or an "Error=..."
// item.
bool FindRecordFields(dbServerConnection& connection, std::string_view table, int listNumber, std::string_view key,
                      std::string_view owner, std::string& fields, std::string_view aliasList = {});
// FindRecordFields through list 1 by Seq.
bool ReadRecordFields(dbServerConnection& connection, std::string_view table, std::string_view seq,
                      std::string& fields, std::string_view aliasList = {});

}  // namespace dalvero
