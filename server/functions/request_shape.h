#pragma once
// A look at a request's text before it is parsed: no command needs more than
// a few hundred members or deep nesting, and refusing larger texts in one
// linear pass keeps a hostile request from occupying the parser (whose cost
// grows with the square of an object's member count).

#include <string>
#include <string_view>

namespace dalvero::server::functions {

inline constexpr int kMaxRequestItems = 2000;  // members and array items, all levels together
inline constexpr int kMaxRequestDepth = 16;

// Empty when the text is within the limits, else why it is refused.
std::string CheckRequestShape(std::string_view text);

}  // namespace dalvero::server::functions
