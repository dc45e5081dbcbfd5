#pragma once
// The DataServer's request frame: a 12-byte little-endian header (payload
// length including the payload's terminating zero, command, sub-command)
// followed by the payload text and its zero byte. Replies are not framed:
// they are zero-terminated text of any length.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dalvero::frame {

inline constexpr std::size_t kHeaderSize = 12;
// Longest payload, terminating zero included: the connection's 50,000-byte
// buffer less the header, with one byte to spare.
inline constexpr std::uint32_t kMaxPayload = 49'989;
// File content travels in pieces no larger than the connection buffer.
inline constexpr std::size_t kFilePiece = 50'000;

struct Header {
    std::uint32_t length = 0;  // payload bytes, terminating zero included
    std::uint32_t command = 0;
    std::uint32_t subCommand = 0;
};

// Commands and sub-commands of the DataServer protocol.
namespace cmd {
inline constexpr std::uint32_t kHandshake = 1;
inline constexpr std::uint32_t kServerDate = 2;
inline constexpr std::uint32_t kLogIn = 3;   // "Email", "Password"; answers "Session" and "Record"
inline constexpr std::uint32_t kLogOut = 4;  // ends the connection's session
inline constexpr std::uint32_t kQuery = 20002;
inline constexpr std::uint32_t kRecord = 31001;
inline constexpr std::uint32_t kFile = 31002;
inline constexpr std::uint32_t kRecordFile = 31003;
}  // namespace cmd
namespace sub {
inline constexpr std::uint32_t kAdd = 20001;
inline constexpr std::uint32_t kDelete = 20002;
inline constexpr std::uint32_t kRead = 20003;
inline constexpr std::uint32_t kUpdate = 20004;
inline constexpr std::uint32_t kReadFields = 20013;
inline constexpr std::uint32_t kDownload = 101;
inline constexpr std::uint32_t kFileInfo = 103;
inline constexpr std::uint32_t kUpload = 102;
}  // namespace sub

void PutUint32(std::uint8_t* out, std::uint32_t value);
std::uint32_t GetUint32(const std::uint8_t* in);

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& header);
Header DecodeHeader(const std::uint8_t* bytes);

// A whole frame for payload text; empty when the text is too long to frame.
std::optional<std::string> Encode(std::uint32_t command, std::uint32_t subCommand, std::string_view text);

}  // namespace dalvero::frame
