#pragma once
// Text rules every report shares: fixed-width padding, values made safe for
// a line-and-column file, and the "mm/dd/yyyy hh:mm" date-times the reports
// print. Values are UTF-8; widths count bytes, so the fixed-width file keeps
// to ASCII (FixedWidthText).

#include <string>
#include <string_view>

namespace dalvero {

enum class Justify { Left, Right };

// value padded with pad to width: Right keeps the value at the right (pads on
// the left, cuts an over-long value on the left), Left keeps it at the left
// (pads and cuts on the right). A value of exactly width is unchanged.
std::string PadField(std::string_view value, std::size_t width, char pad, Justify justify);

// A value for a tab-separated line: tabs, line breaks and other control
// characters (C1 controls too) become blanks, so a value never splits a line
// or shifts a column.
std::string ColumnText(std::string_view value);

// A value for the fixed-width file: every byte outside printable ASCII
// becomes a blank, so each field keeps its columns.
std::string FixedWidthText(std::string_view value);

// A stored "yyyymmdd[hhnn[ss[zzz]]]" as "mm/dd/yyyy hh:mm" (00:00 without a
// time); empty when the text holds no valid date.
std::string DateTimeText(std::string_view stored);

// The stored date-time's digits padded to "yyyymmddhhnnsszzz", for ordering
// entries by time.
std::string DateTimeKey(std::string_view stored);

}  // namespace dalvero
