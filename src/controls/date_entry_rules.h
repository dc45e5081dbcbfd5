#pragma once
// What the date field makes of typed text: loose digit forms, and the short
// commands D (today plus n days), F (first of a month) and E (last of a month).

#include <string>
#include <string_view>

#include "date_text.h"

namespace dalvero {

// "mm/dd/yyyy", or empty when the text names no date.
std::string NormalizeDateEntry(std::string_view text, const CivilDate& today);

}  // namespace dalvero
