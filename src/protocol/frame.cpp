#include "frame.h"

namespace dalvero::frame {

void PutUint32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t GetUint32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& header) {
    std::array<std::uint8_t, kHeaderSize> out{};
    PutUint32(out.data(), header.length);
    PutUint32(out.data() + 4, header.command);
    PutUint32(out.data() + 8, header.subCommand);
    return out;
}

Header DecodeHeader(const std::uint8_t* bytes) {
    return Header{GetUint32(bytes), GetUint32(bytes + 4), GetUint32(bytes + 8)};
}

std::optional<std::string> Encode(std::uint32_t command, std::uint32_t subCommand, std::string_view text) {
    const std::size_t length = text.size() + 1;
    if (length > kMaxPayload) return std::nullopt;
    const auto header = EncodeHeader({static_cast<std::uint32_t>(length), command, subCommand});
    std::string out(reinterpret_cast<const char*>(header.data()), header.size());
    out.append(text);
    out.push_back('\0');
    return out;
}

}  // namespace dalvero::frame
