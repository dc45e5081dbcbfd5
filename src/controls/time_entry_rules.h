#pragma once
// What the time field makes of loose input ("230", "2p", "t" for now):
// "hh:nn", with ":ss" when seconds were typed and " am"/" pm" in 12-hour form.

#include <string>
#include <string_view>

namespace dalvero {

struct ClockTime {
    int hour = 0;
    int minute = 0;
};

// Empty when the text holds no hour from 0 to 23.
std::string NormalizeTimeEntry(std::string_view text, const ClockTime& now, bool twelveHour);

}  // namespace dalvero
