#include "session_store.h"

#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "hex_digest.h"
#include "schema.h"
#include "whole_number.h"

namespace dalvero::server {

namespace ss = schema::sessions;

namespace {

// Writing the last use on every request would make each read a write.
constexpr std::time_t kStoreEvery = 60;
// Past this many remembered uses, those of sessions gone idle are dropped.
constexpr std::size_t kPruneAbove = 1024;

std::time_t Number(const Record& record, int field) {
    return static_cast<std::time_t>(ParseWholeNumber(record.Field(field)).value_or(0));
}

}  // namespace

SessionStore::SessionStore(Storage& storage, int idleMinutes, int maxHours)
    : storage_(storage),
      idleSeconds_(std::time_t{idleMinutes} * 60),
      maxSeconds_(std::time_t{maxHours} * 3600),
      storeEvery_(std::max<std::time_t>(1, std::min(kStoreEvery, idleSeconds_ / 2))) {}

std::string SessionStore::Open(std::int64_t person, const std::string& address, std::time_t now) {
    std::array<unsigned char, 32> random{};
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1)
        throw std::runtime_error("no random bytes for a session");
    const std::string token = HexOf(random.data(), random.size());
    storage_.Add(schema::kSessions, {{ss::kTokenDigest, Sha256Hex(token)},
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
    read.where = {{ss::kTokenDigest, CompareOp::Equal, Sha256Hex(token), false}};
    read.limit = 1;
    std::vector<Record> found = storage_.Select(read);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::optional<SessionInfo> SessionStore::Check(const std::string& token, std::time_t now, bool storeLater) {
    const std::optional<Record> session = Find(token);
    if (!session || session->fields.count(ss::kEnded)) return std::nullopt;
    const std::time_t stored = Number(*session, ss::kLastUsed);
    {
        std::lock_guard lock(mutex_);
        const auto remembered = lastUse_.find(session->seq);
        const std::time_t lastUsed = std::max(stored, remembered == lastUse_.end() ? 0 : remembered->second);
        if (now - Number(*session, ss::kCreated) >= maxSeconds_ || now - lastUsed >= idleSeconds_) {
            if (remembered != lastUse_.end()) lastUse_.erase(remembered);
            return std::nullopt;
        }
        if (lastUse_.size() > kPruneAbove)
            std::erase_if(lastUse_, [&](const auto& item) { return now - item.second >= idleSeconds_; });
        lastUse_[session->seq] = now;
    }
    SessionInfo info{Number(*session, ss::kPerson), session->Field(ss::kAddress), session->seq,
                     now - stored >= storeEvery_};
    if (!storeLater) StoreUse(info, now);
    return info;
}

void SessionStore::StoreUse(const SessionInfo& session, std::time_t now) {
    if (session.storeUse) storage_.Update(schema::kSessions, session.seq, {{ss::kLastUsed, std::to_string(now)}});
}

void SessionStore::End(const std::string& token) {
    if (const std::optional<Record> session = Find(token)) {
        storage_.Update(schema::kSessions, session->seq, {{ss::kEnded, "Y"}});
        std::lock_guard lock(mutex_);
        lastUse_.erase(session->seq);
    }
}

std::int64_t SessionStore::CountOpen(std::time_t now) {
    // Times are stored as ten-digit seconds, which compare as text.
    return storage_.Count(schema::kSessions, {{ss::kEnded, CompareOp::NotEqual, "Y", false},
                                             {ss::kCreated, CompareOp::AtLeast, std::to_string(now - maxSeconds_), false},
                                             {ss::kLastUsed, CompareOp::AtLeast,
                                              std::to_string(now - idleSeconds_ - storeEvery_), false}});
}

}  // namespace dalvero::server
