#pragma once
// One plain-text e-mail and its RFC 5322 wire form. Header values are checked
// here, once, so no caller can smuggle extra headers in through a line break.

#include <ctime>
#include <string>
#include <string_view>

namespace dalvero::server::mail {

struct Message {
    std::string to;       // one bare address: name@domain
    std::string replyTo;  // optional, a bare address
    std::string subject;  // UTF-8, one line
    std::string body;     // UTF-8 text; LF or CR LF line ends
};

// Whether text is one bare address (local@domain) without blanks, control
// bytes or the characters that would start a second address or a comment.
bool IsPlainAddress(std::string_view text);

// Empty when the message can be sent from `from`; otherwise why not.
std::string CheckMessage(const Message& message, std::string_view from);

// The full message text with CR LF line ends: From, To, Reply-To, Subject
// (RFC 2047 encoded when not ASCII), Date (UTC), Message-ID, MIME-Version and
// a quoted-printable text/plain UTF-8 body. Call CheckMessage first.
std::string ComposeMessage(const Message& message, std::string_view from, std::time_t now);

// "Thu, 01 Jan 1970 00:00:00 +0000": the Date header of a moment, in UTC.
std::string MailDate(std::time_t moment);

// Quoted-printable form of a text body (RFC 2045), lines at most 76 long.
std::string QuotedPrintable(std::string_view text);

}  // namespace dalvero::server::mail
