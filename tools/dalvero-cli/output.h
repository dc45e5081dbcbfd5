#pragma once
// Records as text for people and scripts: one tab-separated line per record
// under a header line, with the bytes that would break a line or a column
// written as escapes.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::cli {

// Backslash, tab, line feed and carriage return as \\, \t, \n and \r, other
// control characters as \xHH.
std::string EscapeField(std::string_view value);

// Text a server wrote, safe for a terminal: control characters (C0, DEL and
// the UTF-8 form of C1) escaped as in EscapeField, a backslash kept as it is,
// so JSON stays JSON.
std::string EscapeServerText(std::string_view text);

// The escaped items joined by tabs, then a line feed.
void WriteRow(std::ostream& out, const std::vector<std::string>& items);

}  // namespace dalvero::cli
