#include "login_throttle.h"

#include <algorithm>
#include <string>

#include "hex_digest.h"
#include "schema.h"
#include "server_log.h"
#include "whole_number.h"

namespace dalvero::server {

namespace {

// An address is locked after this many times the failures that lock an
// account on it.
constexpr int kAddressFactor = 5;
// Every so many failures counted here, as many stale counts are dropped.
constexpr int kPruneEvery = 1000;

namespace lf = schema::login_failures;

// How long after its last failure a count is forgotten.
std::time_t Horizon(const SecurityConfig& config) {
    return std::max(config.lockSeconds, config.loginDelayMaxSeconds);
}

std::string Stamp(std::time_t seconds) {
    std::string text = std::to_string(seconds);
    return std::string(text.size() < 12 ? 12 - text.size() : 0, '0') + text;
}

std::time_t Number(const std::string& text) { return ParseWholeNumber(text).value_or(0); }

// The stored password is kept here only as a digest of it.
std::string PasswordDigest(const std::string& stored) { return stored.empty() ? std::string() : Sha256Hex(stored); }

}  // namespace

LoginThrottle::LoginThrottle(Storage& storage, const SecurityConfig& config) : storage_(storage), config_(config) {}

LoginThrottle::Failures LoginThrottle::Current(const Key& key, const std::string& password, std::time_t now) {
    ListRead read;
    read.table = schema::kLoginFailures;
    read.where = {{lf::kAccount, CompareOp::Equal, key.first, false}, {lf::kAddress, CompareOp::Equal, key.second, false}};
    read.limit = 1;
    const std::vector<Record> rows = storage_.Select(read);
    if (rows.empty()) return {};
    const Record& row = rows.front();
    Failures f{row.seq, static_cast<int>(Number(row.Field(lf::kCount))), Number(row.Field(lf::kLast)),
               Number(row.Field(lf::kLockedUntil)), row.Field(lf::kPassword)};
    const bool lockOver = f.lockedUntil && f.lockedUntil <= now;
    const bool longAgo = !f.lockedUntil && now - f.last > Horizon(config_);
    const bool otherPassword = !key.first.empty() && f.password != PasswordDigest(password);
    // Start afresh, in the same row.
    if (lockOver || longAgo || otherPassword) {
        Failures fresh;
        fresh.seq = f.seq;
        return fresh;
    }
    return f;
}

std::time_t LoginThrottle::WaitFor(const Key& key, const std::string& password, std::time_t now) {
    const Failures f = Current(key, password, now);
    if (f.lockedUntil > now) return f.lockedUntil - now;
    // An address only locks: one person's typing mistake must not slow the
    // others who share the machine.
    if (key.first.empty() || f.count == 0) return 0;
    std::time_t delay = config_.loginDelaySeconds;
    for (int i = 1; i < f.count && delay < config_.loginDelayMaxSeconds; ++i) delay *= 2;
    delay = std::min<std::time_t>(delay, config_.loginDelayMaxSeconds);
    return std::max<std::time_t>(0, f.last + delay - now);
}

std::time_t LoginThrottle::RetryIn(const std::string& account, const std::string& address,
                                   const std::string& password, std::time_t now) {
    return std::max(WaitFor({"", address}, password, now), WaitFor({account, address}, password, now));
}

bool LoginThrottle::MayTry(const std::string& account, const std::string& address, const std::string& password,
                           const std::string& hospital, std::time_t now) {
    bool may = true;
    storage_.InReadTransaction([&] {
        for (const Key& key : {Key{"", address}, Key{account, address}}) {
            if (WaitFor(key, password, now) > 0) {
                Refused(key, key.first.empty() ? std::string() : hospital, now);
                may = false;
                return;
            }
        }
    });
    return may;
}

void LoginThrottle::Count(const Key& key, const std::string& password, int lockAfter, std::time_t now) {
    Failures f = Current(key, password, now);
    f.count++;
    f.last = now;
    if (f.count >= lockAfter && !f.lockedUntil) {
        f.lockedUntil = now + config_.lockSeconds;
        Log(Severity::Warning, "log-in: " + (key.first.empty() ? "" : key.first + " from ") + key.second +
                                   " locked for " + std::to_string(config_.lockSeconds) + " s after " +
                                   std::to_string(f.count) + " failed log-ins");
    }
    const FieldValues values{{lf::kAccount, key.first},
                             {lf::kAddress, key.second},
                             {lf::kCount, std::to_string(f.count)},
                             {lf::kLast, Stamp(f.last)},
                             {lf::kLockedUntil, Stamp(f.lockedUntil)},
                             {lf::kPassword, key.first.empty() ? std::string() : PasswordDigest(password)}};
    if (f.seq)
        storage_.Update(schema::kLoginFailures, f.seq, values);
    else
        storage_.Add(schema::kLoginFailures, values);
}

void LoginThrottle::Failed(const std::string& account, const std::string& address, const std::string& password,
                           std::time_t now) {
    Prune(now);
    // One transaction: another server counting the same address at once
    // waits for this one's count, and adds to it.
    storage_.InTransaction([&] {
        Count({account, address}, password, config_.lockAfterFailures, now);
        Count({"", address}, password, config_.lockAfterFailures * kAddressFactor, now);
    });
}

void LoginThrottle::Succeeded(const std::string& account, const std::string& address) {
    storage_.InTransaction([&] {
        ListRead read;
        read.table = schema::kLoginFailures;
        read.where = {{lf::kAccount, CompareOp::Equal, account, false}, {lf::kAddress, CompareOp::Equal, address, false}};
        for (const Record& row : storage_.Select(read)) storage_.Remove(schema::kLoginFailures, row.seq);
    });
}

void LoginThrottle::Refused(const Key& key, const std::string& hospital, std::time_t now) {
    ThrottledTries& tries = refused_[key];
    if (tries.count++ == 0) {
        tries.account = key.first;
        tries.address = key.second;
        tries.hospital = hospital;
        tries.since = now;
        if (!nextReport_ || now + kReportInterval < nextReport_) nextReport_ = now + kReportInterval;
    }
}

std::vector<ThrottledTries> LoginThrottle::TakeReports(std::time_t now, bool all) {
    std::vector<ThrottledTries> due;
    if (refused_.empty() || (!all && now < nextReport_)) return due;
    nextReport_ = 0;
    for (auto it = refused_.begin(); it != refused_.end();) {
        const std::time_t end = it->second.since + kReportInterval;
        if (all || now >= end) {
            due.push_back(std::move(it->second));
            it = refused_.erase(it);
        } else {
            if (!nextReport_ || end < nextReport_) nextReport_ = end;
            ++it;
        }
    }
    return due;
}

void LoginThrottle::Prune(std::time_t now) {
    if (++failedSincePrune_ < kPruneEvery) return;
    failedSincePrune_ = 0;
    ListRead read;
    read.table = schema::kLoginFailures;
    read.where = {{lf::kLast, CompareOp::AtMost, Stamp(now - Horizon(config_) - 1), false},
                  {lf::kLockedUntil, CompareOp::AtMost, Stamp(now), false}};
    read.limit = kPruneEvery;
    storage_.InTransaction([&] {
        for (const Record& row : storage_.Select(read)) storage_.Remove(schema::kLoginFailures, row.seq);
    });
}

}  // namespace dalvero::server
