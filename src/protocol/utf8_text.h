#pragma once
// Well-formed UTF-8 as the servers take it and the tools print it: no stray
// or missing continuation bytes, no overlong forms, no surrogates, nothing
// above U+10FFFF. One definition, so that what a server refuses and what a
// tool escapes never drift apart.

#include <cstddef>
#include <string_view>

namespace dalvero {

// Length of the well-formed UTF-8 sequence that text starts with (1 for an
// ASCII byte); 0 when it starts with none, and for empty text.
std::size_t Utf8SequenceLength(std::string_view text);

// True when the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace dalvero
