#pragma once
// Report text cut where each piece ends: lines that each end in CR LF,
// values that are each followed by a tab. Text after the last separator is
// a fault of the writer and fails the test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dalvero::test {

inline std::vector<std::string> EndedPieces(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find(separator, from)) != std::string::npos; from = end + separator.size())
        pieces.push_back(text.substr(from, end - from));
    EXPECT_EQ(from, text.size()) << "text after the last separator";
    return pieces;
}

}  // namespace dalvero::test
