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
// C0 controls, DEL and bytes that are not part of well-formed UTF-8 (a lone
// 0x9b, say) as \xHH, the C1 controls U+0080 to U+009F as \u00HH.
std::string EscapeField(std::string_view value);

// Text a server wrote, safe for a terminal: control characters escaped as in
// EscapeField, a backslash kept as it is, so JSON stays JSON.
std::string EscapeServerText(std::string_view text);

// The escaped items joined by tabs, then a line feed.
void WriteRow(std::ostream& out, const std::vector<std::string>& items);

}  // namespace dalvero::cli
