#include "login_throttle.h"

#include <algorithm>
#include <iostream>

namespace dalvero::server {

namespace {

// An address is locked after this many times the failures that lock an
// account on it.
constexpr int kAddressFactor = 5;
// Above this many counted keys the stale ones are dropped.
constexpr std::size_t kPruneAbove = 100'000;

}  // namespace

LoginThrottle::LoginThrottle(const SecurityConfig& config) : config_(config) {}

std::time_t LoginThrottle::WaitFor(const Key& key, std::time_t now) {
    const auto found = failures_.find(key);
    if (found == failures_.end()) return 0;
    const Failures& f = found->second;
    if (f.lockedUntil > now) return f.lockedUntil - now;
    // After a lock has run out, or long after the last failure, start afresh.
    if (f.lockedUntil || now - f.last > std::max(config_.lockSeconds, config_.loginDelayMaxSeconds)) {
        failures_.erase(found);
        return 0;
    }
    // An address only locks: one person's typing mistake must not slow the
    // others who share the machine.
    if (key.first.empty()) return 0;
    std::time_t delay = config_.loginDelaySeconds;
    for (int i = 1; i < f.count && delay < config_.loginDelayMaxSeconds; ++i) delay *= 2;
    delay = std::min<std::time_t>(delay, config_.loginDelayMaxSeconds);
    return std::max<std::time_t>(0, f.last + delay - now);
}

bool LoginThrottle::MayTry(const std::string& account, const std::string& address, const std::string& password,
                           const std::string& hospital, std::time_t now) {
    const Key pair{account, address};
    if (const auto found = failures_.find(pair); found != failures_.end() && found->second.password != password)
        failures_.erase(found);
    const Key addressOnly{"", address};
    for (const Key& key : {addressOnly, pair}) {
        if (WaitFor(key, now) > 0) {
            Refused(key, key.first.empty() ? std::string() : hospital, now);
            return false;
        }
    }
    return true;
}

void LoginThrottle::Count(const Key& key, int lockAfter, std::time_t now) {
    Failures& f = failures_[key];
    f.count++;
    f.last = now;
    if (f.count >= lockAfter && !f.lockedUntil) {
        f.lockedUntil = now + config_.lockSeconds;
        std::cerr << "log-in: " << (key.first.empty() ? "" : key.first + " from ") << key.second << " locked for "
                  << config_.lockSeconds << " s after " << f.count << " failed log-ins\n";
    }
}

void LoginThrottle::Failed(const std::string& account, const std::string& address, const std::string& password,
                           std::time_t now) {
    Prune(now);
    Count({account, address}, config_.lockAfterFailures, now);
    failures_[{account, address}].password = password;
    Count({"", address}, config_.lockAfterFailures * kAddressFactor, now);
}

void LoginThrottle::Succeeded(const std::string& account, const std::string& address) {
    failures_.erase({account, address});
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
    if (failures_.size() < kPruneAbove) return;
    for (auto it = failures_.begin(); it != failures_.end();) {
        const Failures& f = it->second;
        const bool stale = f.lockedUntil ? f.lockedUntil <= now
                                         : now - f.last > std::max(config_.lockSeconds, config_.loginDelayMaxSeconds);
        it = stale ? failures_.erase(it) : std::next(it);
    }
}

}  // namespace dalvero::server
