#pragma once
// Lower-case hexadecimal text of bytes and of a text's SHA-256, as sessions
// and the audit trail store them.

#include <cstddef>
#include <string>
#include <string_view>

namespace dalvero::server {

std::string HexOf(const unsigned char* data, std::size_t size);
// Throws std::runtime_error when the digest cannot be made.
std::string Sha256Hex(std::string_view text);

}  // namespace dalvero::server
