#pragma once
// Whole numbers as requests and stored links write them (Seqs, sizes,
// dates): the whole text must be the number.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dalvero::server {

inline std::optional<std::int64_t> ParseWholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace dalvero::server
