#include "login_service.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "audit_trail.h"
#include "password_hash.h"
#include "schema.h"
#include "table_catalogue.h"
#include "whole_number.h"

namespace dalvero::server {

namespace pe = catalogue::personnel;

namespace {

constexpr char kInvalid[] = "Invalid login";
constexpr char kWait[] = "Too many failed log-ins; try again later";
constexpr char kBusy[] = "The server is busy; try again";
// Longest a log-in waits for a free hashing slot.
constexpr auto kHashWait = std::chrono::seconds(10);
// An address is locked after this many times the failures that lock an account.
constexpr int kAddressFactor = 5;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool IsYes(const Record& record, int field) {
    const auto found = record.fields.find(field);
    return found != record.fields.end() && Lower(found->second) == "y";
}

}  // namespace

Principal PrincipalOf(const Record& person, std::string address) {
    Principal who;
    who.person = person.seq;
    who.hospital = person.Field(pe::kHospital);
    who.email = person.Field(pe::kEmail);
    who.administrator = IsYes(person, pe::kAdministrator);
    who.planner = IsYes(person, pe::kDischargePlanner);
    who.address = std::move(address);
    return who;
}

LoginService::LoginService(Storage& storage, const SecurityConfig& config, Clock clock)
    : storage_(storage),
      config_(config),
      clock_(std::move(clock)),
      sessions_(storage, config.sessionIdleMinutes, config.sessionMaxHours),
      hashing_(std::clamp(config.concurrentHashes, 1, 64)),
      dummyHash_(HashPassword("", config.passwordIterations)) {}

std::time_t LoginService::WaitFor(const std::string& key, std::time_t now) {
    const auto found = failures_.find(key);
    if (found == failures_.end()) return 0;
    const Failures& f = found->second;
    if (f.lockedUntil > now) return f.lockedUntil - now;
    // After a lock has run out, or long after the last failure, start afresh.
    if (f.lockedUntil || now - f.last > std::max(config_.lockSeconds, config_.loginDelayMaxSeconds)) {
        failures_.erase(found);
        return 0;
    }
    std::time_t delay = config_.loginDelaySeconds;
    for (int i = 1; i < f.count && delay < config_.loginDelayMaxSeconds; ++i) delay *= 2;
    delay = std::min<std::time_t>(delay, config_.loginDelayMaxSeconds);
    return std::max<std::time_t>(0, f.last + delay - now);
}

void LoginService::Failed(const std::string& key, int lockAfter, std::time_t now) {
    Failures& f = failures_[key];
    f.count++;
    f.last = now;
    if (f.count >= lockAfter && !f.lockedUntil) {
        f.lockedUntil = now + config_.lockSeconds;
        std::cerr << "log-in: " << key << " locked for " << config_.lockSeconds << " s after " << f.count
                  << " failed log-ins\n";
    }
}

bool LoginService::Verify(const std::string& password, const std::string& stored) {
    // Hashes weaker than the policy allows are refused outright: only the
    // server writes f23, so such a value was planted or is from a damaged store.
    const int floor = std::min(config_.passwordIterations, kLegacyPasswordIterations);
    if (IsPasswordHash(stored) && PasswordHashIterations(stored) < floor) return false;
    return VerifyPassword(password, stored);
}

LoginResult LoginService::Refuse(const std::string& email, const std::string& address, const std::string& why,
                                 const std::string& answer, const std::string& hospital) {
    Principal who;
    who.email = email;
    who.address = address;
    who.hospital = hospital;  // the account's, so that its administrators see the attempt
    AppendAudit(storage_, who, {{audit_action::kLoginFailed, "", 0, "", why}}, clock_());
    LoginResult result;
    result.error = answer;
    return result;
}

LoginResult LoginService::LogIn(const std::string& email, const std::string& password, const std::string& address) {
    const std::string accountKey = "account " + Lower(email);
    const std::string addressKey = "address " + address;
    {
        std::lock_guard lock(mutex_);
        const std::time_t now = clock_();
        if (WaitFor(accountKey, now) > 0 || WaitFor(addressKey, now) > 0)
            return Refuse(email, address, "refused while throttled", kWait);
    }

    std::optional<Record> person;
    if (!email.empty()) {
        ListRead read;
        read.table = catalogue::tbl::kPersonnel;
        read.where = {{pe::kEmail, CompareOp::Equal, email, false}};
        read.limit = 1;
        std::vector<Record> found = storage_.Select(read);
        if (!found.empty()) person = std::move(found.front());
    }
    const std::string stored = person ? person->Field(pe::kPassword) : std::string();

    if (!hashing_.try_acquire_for(kHashWait)) return Refuse(email, address, "no hashing slot", kBusy);
    bool valid = false;
    try {
        // An unknown e-mail costs the same hashing as a known one.
        valid = person ? Verify(password, stored) : (VerifyPassword(password, dummyHash_), false);
        if (valid && PasswordHashIterations(stored) < config_.passwordIterations)
            storage_.Update(catalogue::tbl::kPersonnel, person->seq,
                            {{pe::kPassword, HashPassword(password, config_.passwordIterations)}});
    } catch (...) {
        hashing_.release();
        throw;
    }
    hashing_.release();

    const std::time_t now = clock_();
    if (!valid) {
        {
            std::lock_guard lock(mutex_);
            Failed(accountKey, config_.lockAfterFailures, now);
            Failed(addressKey, config_.lockAfterFailures * kAddressFactor, now);
        }
        return Refuse(email, address, person ? "wrong password" : "unknown e-mail", kInvalid,
                      person ? person->Field(pe::kHospital) : std::string());
    }
    {
        std::lock_guard lock(mutex_);
        failures_.erase(accountKey);
    }
    LoginResult result;
    result.ok = true;
    result.who = PrincipalOf(*person, address);
    result.token = sessions_.Open(person->seq, address, now);
    result.person = std::move(*person);
    result.person.fields.erase(pe::kPassword);
    AppendAudit(storage_, result.who, {{audit_action::kLogin, catalogue::tbl::kPersonnel, result.who.person, "", ""}},
                now);
    return result;
}

std::optional<Principal> LoginService::Resume(const std::string& token) {
    const std::optional<SessionInfo> session = sessions_.Check(token, clock_());
    if (!session) return std::nullopt;
    const std::optional<Record> person = storage_.Read(catalogue::tbl::kPersonnel, session->person);
    if (!person) return std::nullopt;
    return PrincipalOf(*person, session->address);
}

void LoginService::LogOut(const std::string& token, const Principal& who) {
    sessions_.End(token);
    AppendAudit(storage_, who, {{audit_action::kLogout, catalogue::tbl::kPersonnel, who.person, "", ""}}, clock_());
}

std::string LoginService::HashForStorage(std::string_view password) {
    if (!hashing_.try_acquire_for(kHashWait)) throw StorageError(kBusy);
    try {
        std::string hash = HashPassword(password, config_.passwordIterations);
        hashing_.release();
        return hash;
    } catch (...) {
        hashing_.release();
        throw;
    }
}

}  // namespace dalvero::server
