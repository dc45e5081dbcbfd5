#include "password_hash.h"

#include <gtest/gtest.h>

#include <regex>

namespace dalvero {
namespace {

TEST(PasswordHash, RoundTripInTheDocumentedFormWithItsOwnSalt) {
    std::string stored = HashPassword("Correct horse 7");
    EXPECT_TRUE(std::regex_match(stored, std::regex(R"(pbkdf2-sha256\$600000\$[A-Za-z0-9+/]{22}==\$[A-Za-z0-9+/]{43}=)")))
        << stored;
    EXPECT_EQ(PasswordHashIterations(stored), 600'000);
    EXPECT_EQ(PasswordHashIterations(HashPassword("x", 1000)), 1000);
    EXPECT_EQ(PasswordHashIterations("Correct horse 7"), 0);
    EXPECT_TRUE(IsPasswordHash(stored));
    EXPECT_TRUE(VerifyPassword("Correct horse 7", stored));
    EXPECT_NE(HashPassword("Correct horse 7"), stored);
    EXPECT_TRUE(VerifyPassword("Gr\xC3\xBC\xC3\x9F" "e", HashPassword("Gr\xC3\xBC\xC3\x9F" "e")));
    for (const std::string& wrong : std::vector<std::string>{"correct horse 7", "Correct horse 7 ", "", stored}) {
        EXPECT_FALSE(VerifyPassword(wrong, stored)) << wrong;
    }
}

TEST(PasswordHash, TamperedOrMalformedHashNeverVerifies) {
    std::string stored = HashPassword("Secret1", 120000);
    std::size_t hashAt = stored.rfind('$') + 1;

    std::string flipped = stored;
    flipped[hashAt + 3] = flipped[hashAt + 3] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(VerifyPassword("Secret1", flipped));

    std::string fewerRounds = stored;
    fewerRounds.replace(stored.find("120000"), 6, "119999");
    EXPECT_FALSE(VerifyPassword("Secret1", fewerRounds));

    const std::string malformed[] = {
        "pbkdf2-sha256$",
        "pbkdf2-sha256$120000$c2FsdHNhbHRzYWx0$",
        "pbkdf2-sha256$0$c2FsdHNhbHRzYWx0$c2FsdHNhbHRzYWx0",
        "pbkdf2-sha256$-5$c2FsdHNhbHRzYWx0$c2FsdHNhbHRzYWx0",
        "pbkdf2-sha256$99999999999$c2FsdHNhbHRzYWx0$c2FsdHNhbHRzYWx0",
        "pbkdf2-sha256$12x$c2FsdHNhbHRzYWx0$c2FsdHNhbHRzYWx0",
        "pbkdf2-sha256$1000$not*base64!$c2FsdHNhbHRzYWx0",
        "pbkdf2-sha256$1000$c2FsdA==$c2FsdHNhbHRzYWx0",  // salt too short
        "pbkdf2-sha256$1000$c2FsdHNhbHRzYWx0$c2FsdHNhbHRzYWx0$extra",
    };
    for (const std::string& value : malformed) {
        EXPECT_TRUE(IsPasswordHash(value)) << value;
        // Never read as a clear password either.
        EXPECT_FALSE(VerifyPassword(value, value)) << value;
        EXPECT_EQ(PasswordHashIterations(value), 0) << value;
    }
}

TEST(PasswordHash, LegacyClearValuesCompareByteForByteButNeverEmpty) {
    EXPECT_FALSE(IsPasswordHash("Passw0rd"));
    EXPECT_TRUE(VerifyPassword("Passw0rd", "Passw0rd"));
    for (const char* wrong : {"passw0rd", "Passw0rd ", "Passw0"}) EXPECT_FALSE(VerifyPassword(wrong, "Passw0rd")) << wrong;
    // A value of another scheme's shape is still clear text to this one.
    EXPECT_TRUE(VerifyPassword("pbkdf2-sha1$x", "pbkdf2-sha1$x"));
    // An empty stored password lets nobody in.
    EXPECT_FALSE(VerifyPassword("", ""));
    EXPECT_FALSE(VerifyPassword("anything", ""));
}

}  // namespace
}  // namespace dalvero
