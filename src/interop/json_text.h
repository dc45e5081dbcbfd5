#pragma once
// Strict JSON documents for other systems, built value by value. Each
// function gives a value's text, and empty text means "absent": objects
// leave such members out and arrays such items, and an object or array with
// nothing in it is absent itself, so a document never holds the empty
// strings, objects or arrays that standards such as FHIR forbid.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dalvero::json_text {

using Member = std::pair<std::string_view, std::string>;

// A string value; absent when text is empty. Escaped as the JSON tree
// escapes strict JSON (control characters, quotes, backslashes, C1 controls).
std::string Str(std::string_view text);
// An integer value; never absent.
std::string Int(long long value);
std::string Obj(const std::vector<Member>& members);
std::string Arr(const std::vector<std::string>& items);

}  // namespace dalvero::json_text
