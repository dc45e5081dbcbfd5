#pragma once
// Personnel passwords at rest: salted PBKDF2-SHA256 in one text form,
//   pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>
// (docs/passwords.md). Values stored before hashing was introduced are clear
// text and still verify, byte for byte.

#include <string>
#include <string_view>

namespace dalvero {

// The iteration count new hashes get unless the server is set otherwise.
inline constexpr int kDefaultPasswordIterations = 600'000;
// The count this product used before; hashes stored with it still verify
// (and are upgraded) under the default policy.
inline constexpr int kLegacyPasswordIterations = 120'000;

// A fresh 16-byte random salt, `iterations` rounds, a 32-byte hash. Throws
// std::runtime_error when the system cannot supply random bytes.
std::string HashPassword(std::string_view password, int iterations = kDefaultPasswordIterations);

// Whether `password` matches `stored`: a value in the hash form is checked by
// recomputing the hash; any other non-empty value is a legacy clear password
// compared byte for byte. Neither comparison's time depends on where the
// texts differ. A malformed hash form or an empty stored value never matches.
bool VerifyPassword(std::string_view password, std::string_view stored);

// Whether `stored` is in the hash form (not a legacy clear password).
bool IsPasswordHash(std::string_view stored);

// The iteration count of a well-formed stored hash; 0 for anything else.
int PasswordHashIterations(std::string_view stored);

}  // namespace dalvero
