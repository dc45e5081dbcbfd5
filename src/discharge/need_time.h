#pragma once
// The need dialog's required time: what the planner typed in the time edit
// ("9:5", "930", "14.30") as the "hhmm" stored after the date.

#include <optional>
#include <string>
#include <string_view>

namespace dalvero {

// Empty text gives "". Digits before the first non-digit are the hours and
// the digits after it the minutes; without a separator up to two digits are
// hours alone, three are h + mm, four or more hh + mm. nullopt when the
// hours pass 23 or the minutes 59, which would store a time that is none.
std::optional<std::string> NormalizeNeedTime(std::string_view text);

}  // namespace dalvero
