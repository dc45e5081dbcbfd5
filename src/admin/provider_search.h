#pragma once
// The rules of the provider search dialog that need no widget: the filter
// its state and zip make, and the access code that shows its two hidden
// panels.

#include <string>
#include <string_view>

namespace dalvero {

// Typed into the state field, shows "Add a New Provider" and "View Provider
// Info"; its first two letters are no state and start no search.
inline constexpr char kProviderAccessCode[] = "XZPQ";

bool LettersAndDigitsOnly(std::string_view text);

// "f14=" the state in upper case when it has exactly 2 characters, "f15="
// the zip when it has exactly 5, joined by ","; a value with anything but
// letters and digits adds no term, so typed text never shapes the filter.
std::string ProviderSearchFilter(std::string_view state, std::string_view zip);

// Whether a change of the state field runs a search.
bool StateStartsSearch(std::string_view state);

}  // namespace dalvero
