#include "password_hash.h"

#include <charconv>
#include <stdexcept>
#include <vector>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace dalvero {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;
// Bounds on what a stored value may ask for, so a damaged or hostile record
// cannot make a login spin for minutes.
constexpr long kMaxIterations = 10'000'000;
constexpr std::size_t kMinBytes = 8, kMaxBytes = 64;

using Bytes = std::vector<unsigned char>;

std::string Base64(const Bytes& data) {
    std::string text(4 * ((data.size() + 2) / 3), '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), data.data(), static_cast<int>(data.size()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

bool FromBase64(std::string_view text, Bytes& out) {
    if (text.empty() || text.size() % 4 != 0) return false;
    out.assign(text.size() / 4 * 3, 0);
    int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    if (n < 0) return false;
    std::size_t padding = text.size() - text.find_last_not_of('=') - 1;
    if (padding > 2) return false;
    out.resize(static_cast<std::size_t>(n) - padding);
    return true;
}

Bytes Derive(std::string_view password, const Bytes& salt, int iterations, std::size_t length) {
    Bytes key(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(), static_cast<int>(salt.size()),
                          iterations, EVP_sha256(), static_cast<int>(length), key.data()) != 1) {
        throw std::runtime_error("PBKDF2 failed");
    }
    return key;
}

struct ParsedHash {
    int iterations = 0;
    Bytes salt, hash;
};

bool Parse(std::string_view stored, ParsedHash& parsed) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = stored.find('$', start)) != std::string_view::npos; start = at + 1) {
        parts.push_back(stored.substr(start, at - start));
    }
    parts.push_back(stored.substr(start));
    if (parts.size() != 4 || parts[0] != kScheme) return false;
    long iterations = 0;
    auto [end, error] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    if (error != std::errc() || end != parts[1].data() + parts[1].size() || iterations < 1 || iterations > kMaxIterations) {
        return false;
    }
    parsed.iterations = static_cast<int>(iterations);
    auto sized = [](const Bytes& b) { return b.size() >= kMinBytes && b.size() <= kMaxBytes; };
    return FromBase64(parts[2], parsed.salt) && FromBase64(parts[3], parsed.hash) && sized(parsed.salt) &&
           sized(parsed.hash);
}

bool SameBytes(const Bytes& a, const Bytes& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

// Clear texts are compared through their digests, so the time taken tells
// neither where they differ nor how long the stored one is.
Bytes Digest(std::string_view text) {
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    digest.resize(size);
    return digest;
}

}  // namespace

std::string HashPassword(std::string_view password, int iterations) {
    if (iterations < 1 || iterations > kMaxIterations) throw std::invalid_argument("bad PBKDF2 iteration count");
    Bytes salt(kSaltBytes);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) throw std::runtime_error("No random bytes for a password salt");
    Bytes hash = Derive(password, salt, iterations, kHashBytes);
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + Base64(salt) + "$" + Base64(hash);
}

bool IsPasswordHash(std::string_view stored) {
    return stored.substr(0, kScheme.size() + 1) == std::string(kScheme) + "$";
}

int PasswordHashIterations(std::string_view stored) {
    ParsedHash parsed;
    return IsPasswordHash(stored) && Parse(stored, parsed) ? parsed.iterations : 0;
}

bool VerifyPassword(std::string_view password, std::string_view stored) {
    if (stored.empty()) return false;
    if (!IsPasswordHash(stored)) return SameBytes(Digest(password), Digest(stored));
    ParsedHash parsed;
    if (!Parse(stored, parsed)) return false;
    Bytes computed = Derive(password, parsed.salt, parsed.iterations, parsed.hash.size());
    return SameBytes(computed, parsed.hash);
}

}  // namespace dalvero
