#include "mail_message.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace dalvero::server::mail {
namespace {

constexpr char kCrLf[] = "\r\n";

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

std::string Base64(std::string_view bytes) {
    std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
    const int n = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(n));
}

// RFC 2047 encoded words of at most 39 bytes each (52 base64 characters, so
// even the first line with "Subject: " stays under 78 characters),
// never splitting a UTF-8 sequence, folded onto continuation lines.
std::string EncodeHeaderText(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = std::min(text.size(), pos + 39);
        while (end < text.size() && end > pos + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(text.substr(pos, end - pos)) + "?=";
        pos = end;
    }
    return out;
}

std::string RandomHex(std::size_t bytes) {
    std::vector<unsigned char> raw(bytes);
    if (RAND_bytes(raw.data(), static_cast<int>(raw.size())) != 1)
        throw std::runtime_error("no random bytes for a Message-ID");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : raw) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

void AppendHex(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '=';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

void EncodeLine(std::string_view line, std::string& out) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool last = i + 1 == line.size();
        std::string token;
        const bool blank = c == ' ' || c == '\t';
        // A leading dot is encoded so that no relay can mistake it for the
        // end of the data.
        if ((c >= 33 && c <= 126 && c != '=' && !(c == '.' && i == 0)) || (blank && !last))
            token = static_cast<char>(c);
        else
            AppendHex(token, c);
        if (width + token.size() > 75) {
            out += "=\r\n";
            width = 0;
        }
        out += token;
        width += token.size();
    }
}

}  // namespace

bool IsPlainAddress(std::string_view text) {
    const auto at = text.find('@');
    if (at == 0 || at == std::string_view::npos || at + 1 >= text.size()) return false;
    if (text.find('@', at + 1) != std::string_view::npos) return false;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F) return false;
        if (std::string_view("<>()[],;:\"\\").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    return true;
}

std::string CheckMessage(const Message& message, std::string_view from) {
    if (!IsPlainAddress(from)) return "The sender address \"" + std::string(from) + "\" is not a valid e-mail address";
    if (!IsPlainAddress(message.to))
        return "The recipient address \"" + message.to + "\" is not a valid e-mail address";
    if (!message.replyTo.empty() && !IsPlainAddress(message.replyTo))
        return "The reply address \"" + message.replyTo + "\" is not a valid e-mail address";
    if (HasLineBreak(message.subject)) return "The subject of an e-mail must be one line";
    return {};
}

std::string MailDate(std::time_t moment) {
    static constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm utc{};
    gmtime_r(&moment, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday], utc.tm_mday,
                  kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string QuotedPrintable(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        EncodeLine(line, out);
        if (nl == std::string_view::npos) break;
        out += kCrLf;
        start = nl + 1;
    }
    return out;
}

std::string ComposeMessage(const Message& message, std::string_view from, std::time_t now) {
    const std::string domain(from.substr(from.find('@') + 1));
    std::string text;
    text += "From: " + std::string(from) + kCrLf;
    text += "To: " + message.to + kCrLf;
    if (!message.replyTo.empty()) text += "Reply-To: " + message.replyTo + kCrLf;
    text += "Subject: " + EncodeHeaderText(message.subject) + kCrLf;
    text += "Date: " + MailDate(now) + kCrLf;
    text += "Message-ID: <" + RandomHex(16) + "@" + domain + ">" + kCrLf;
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: quoted-printable\r\n";
    text += kCrLf;
    text += QuotedPrintable(message.body);
    text += kCrLf;
    return text;
}

}  // namespace dalvero::server::mail
