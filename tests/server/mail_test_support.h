#pragma once
// Reading what the mailer wrote: the outbox files and the messages in them.

#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace mail_test {

namespace fs = std::filesystem;

inline std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    return files;
}

inline std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ParsedMail {
    std::multimap<std::string, std::string> headers;
    std::string body;  // still transfer-encoded
    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? "" : it->second;
    }
};

// Splits a message at its first empty line and unfolds the header lines.
inline ParsedMail ParseMail(const std::string& text) {
    ParsedMail mail;
    const auto split = text.find("\r\n\r\n");
    EXPECT_NE(split, std::string::npos);
    std::string head = text.substr(0, split);
    mail.body = text.substr(split + 4);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= head.size()) {
        auto end = head.find("\r\n", start);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        if (!line.empty() && line[0] == ' ' && !lines.empty())
            lines.back() += line;
        else
            lines.push_back(line);
        start = end + 2;
    }
    for (const auto& line : lines) {
        const auto colon = line.find(": ");
        EXPECT_NE(colon, std::string::npos) << line;
        mail.headers.emplace(line.substr(0, colon), line.substr(colon + 2));
    }
    return mail;
}

inline std::string DecodeQuotedPrintable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else if (text[i] == '=') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline std::string DecodeBase64(const std::string& text) {
    std::string out(text.size(), '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                            reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    if (n < 0) return "<not base64>";
    // The decoder counts the padding as zero bytes.
    const auto pad = std::count(text.end() - std::min<std::size_t>(2, text.size()), text.end(), '=');
    out.resize(static_cast<std::size_t>(n) - static_cast<std::size_t>(pad));
    return out;
}

// Joins RFC 2047 encoded words back into text.
inline std::string DecodeHeaderText(const std::string& value) {
    if (value.rfind("=?UTF-8?B?", 0) != 0) return value;
    std::string out;
    std::size_t pos = 0;
    while ((pos = value.find("=?UTF-8?B?", pos)) != std::string::npos) {
        const auto end = value.find("?=", pos + 10);
        out += DecodeBase64(value.substr(pos + 10, end - pos - 10));
        pos = end + 2;
    }
    return out;
}

}  // namespace mail_test
