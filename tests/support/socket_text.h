#pragma once
// A zero-terminated reply read off a client socket, for tests that speak
// the wire by hand.

#include <string>

#include "plain_socket.h"

namespace dalvero::test {

// The text before the zero byte; empty when none came within seconds.
inline std::string ReceiveText(PlainSocket& socket, int seconds, std::size_t max = 65'536) {
    std::string text(max + 1, '\0');
    const int n = socket.ReceiveUntilNul(text.data(), max, seconds, 0);
    text.resize(n > 0 ? static_cast<std::size_t>(n) - 1 : 0);
    return text;
}

}  // namespace dalvero::test
