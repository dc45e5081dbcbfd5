#include "session_store.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>

#include "schema.h"
#include "whole_number.h"

namespace dalvero::server {

namespace ss = schema::sessions;

namespace {

// Refreshing the last use on every request would make each read a write.
constexpr std::time_t kTouchEvery = 60;

std::string Hex(const unsigned char* data, std::size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kHex[data[i] >> 4];
        hex += kHex[data[i] & 15];
    }
    return hex;
}

std::string Digest(const std::string& token) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_Digest(token.data(), token.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    return Hex(digest.data(), size);
}

std::time_t Number(const Record& record, int field) {
    const auto found = record.fields.find(field);
    if (found == record.fields.end()) return 0;
    return static_cast<std::time_t>(ParseWholeNumber(found->second).value_or(0));
}

}  // namespace

SessionStore::SessionStore(Storage& storage, int idleMinutes, int maxHours)
    : storage_(storage), idleSeconds_(std::time_t{idleMinutes} * 60), maxSeconds_(std::time_t{maxHours} * 3600) {}

std::string SessionStore::Open(std::int64_t person, const std::string& address, std::time_t now) {
    std::array<unsigned char, 32> random{};
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1)
        throw std::runtime_error("no random bytes for a session");
    const std::string token = Hex(random.data(), random.size());
    storage_.Add(schema::kSessions, {{ss::kTokenDigest, Digest(token)},
                                     {ss::kPerson, std::to_string(person)},
                                     {ss::kCreated, std::to_string(now)},
                                     {ss::kLastUsed, std::to_string(now)},
                                     {ss::kAddress, address}});
    return token;
}

std::optional<Record> SessionStore::Find(const std::string& token) {
    if (token.size() != 64) return std::nullopt;
    ListRead read;
    read.table = schema::kSessions;
    read.where = {{ss::kTokenDigest, CompareOp::Equal, Digest(token), false}};
    read.limit = 1;
    std::vector<Record> found = storage_.Select(read);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::optional<SessionInfo> SessionStore::Check(const std::string& token, std::time_t now) {
    const std::optional<Record> session = Find(token);
    if (!session || session->fields.count(ss::kEnded)) return std::nullopt;
    const std::time_t lastUsed = Number(*session, ss::kLastUsed);
    if (now - Number(*session, ss::kCreated) >= maxSeconds_ || now - lastUsed >= idleSeconds_) return std::nullopt;
    if (now - lastUsed >= kTouchEvery) storage_.Update(schema::kSessions, session->seq, {{ss::kLastUsed, std::to_string(now)}});
    const auto address = session->fields.find(ss::kAddress);
    return SessionInfo{Number(*session, ss::kPerson), address == session->fields.end() ? "" : address->second};
}

void SessionStore::End(const std::string& token) {
    if (const std::optional<Record> session = Find(token))
        storage_.Update(schema::kSessions, session->seq, {{ss::kEnded, "Y"}});
}

}  // namespace dalvero::server
