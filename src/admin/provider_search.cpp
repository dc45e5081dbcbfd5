#include "provider_search.h"

#include <algorithm>

namespace dalvero {

namespace {
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool LettersAndDigitsOnly(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

std::string ProviderSearchFilter(std::string_view state, std::string_view zip) {
    std::string filter;
    if (state.size() == 2 && LettersAndDigitsOnly(state)) {
        filter = "f14=";
        for (char c : state) filter += UpperAscii(c);
    }
    if (zip.size() == 5 && LettersAndDigitsOnly(zip)) {
        if (!filter.empty()) filter += ",";
        filter += "f15=" + std::string(zip);
    }
    return filter;
}

bool StateStartsSearch(std::string_view state) {
    if (state.size() != 2) return true;
    return UpperAscii(state[0]) != kProviderAccessCode[0] || UpperAscii(state[1]) != kProviderAccessCode[1];
}

}  // namespace dalvero
