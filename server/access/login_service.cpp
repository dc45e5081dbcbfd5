#include "login_service.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "audit_trail.h"
#include "password_hash.h"
#include "schema.h"
#include "server_log.h"
#include "table_catalogue.h"
#include "whole_number.h"

namespace dalvero::server {

namespace pe = catalogue::personnel;

namespace {

constexpr char kInvalid[] = "Invalid login";
constexpr char kWait[] = "Too many failed log-ins; try again later";
constexpr char kBusy[] = "The server is busy: too many log-ins are waiting; try again in a minute";
// What an audit row says of an e-mail too long to be anyone's.
constexpr char kOverlongEmail[] = "(an e-mail longer than 254 characters)";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool IsYes(const Record& record, int field) {
    const auto found = record.fields.find(field);
    return found != record.fields.end() && Lower(found->second) == "y";
}

int HashSlots(const SecurityConfig& config) {
    if (config.concurrentHashes > 0) return config.concurrentHashes;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
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

std::optional<Record> PersonByEmail(Storage& storage, const std::string& email) {
    if (email.empty()) return std::nullopt;
    ListRead read;
    read.table = catalogue::tbl::kPersonnel;
    read.where = {{pe::kEmail, CompareOp::Equal, email, false}};
    read.limit = 1;
    std::vector<Record> found = storage.Select(read);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

LoginService::LoginService(Storage& storage, const SecurityConfig& config, Clock clock)
    : storage_(storage),
      config_(config),
      clock_(std::move(clock)),
      sessions_(storage, config.sessionIdleMinutes, config.sessionMaxHours),
      hashes_(HashSlots(config), config.loginQueue),
      throttle_(storage, config),
      dummyHash_(HashPassword("", config.passwordIterations)) {}

LoginService::~LoginService() {
    try {
        WriteThrottleReports(true);
    } catch (const std::exception& e) {
        Log(Severity::Error, std::string("log-in: counts of refused log-ins not written: ") + e.what());
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
    LogThrottled("log-in failed", "log-in refused for " + email + " from " + address + ": " + why);
    LoginResult result;
    result.error = answer;
    return result;
}

LoginResult LoginService::RefuseUnhashed(const std::string& account, const std::string& address,
                                         const std::string& answer, const std::string& hospital) {
    {
        std::lock_guard lock(mutex_);
        throttle_.CountRefusal(account, address, hospital, clock_());
    }
    LoginResult result;
    result.error = answer;
    return result;
}

void LoginService::WriteThrottleReports(bool all) {
    std::vector<ThrottledTries> reports;
    {
        std::lock_guard lock(mutex_);
        reports = throttle_.TakeReports(clock_(), all);
    }
    for (const ThrottledTries& tries : reports) {
        Principal who;
        who.email = tries.account;
        who.address = tries.address;
        who.hospital = tries.hospital;
        const std::string detail = std::to_string(tries.count) + " log-ins refused unchecked (throttled or busy) from ";
        AppendAudit(storage_, who, {{audit_action::kLoginFailed, "", 0, "", detail + AuditStamp(tries.since)}},
                    clock_());
    }
}

bool LoginService::TakeAccount(const std::string& account, const std::string& address, const std::string& stored,
                               const std::string& hospital) {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Asked again after each wait: the log-in before may have failed.
        if (!throttle_.MayTry(account, address, stored, hospital, clock_())) return false;
        if (trying_.insert(account).second) return true;
        accountFree_.wait(lock);
    }
}

void LoginService::ReleaseAccount(const std::string& account) {
    {
        std::lock_guard lock(mutex_);
        trying_.erase(account);
    }
    accountFree_.notify_all();
}

LoginResult LoginService::LogIn(const std::string& email, const std::string& password, const std::string& address) {
    WriteThrottleReports(false);
    if (email.size() > kMaxEmailLength) return RefuseUnhashed(kOverlongEmail, address, kInvalid);
    const std::string account = Lower(email);
    std::optional<Record> person = PersonByEmail(storage_, email);
    const std::string stored = person ? person->Field(pe::kPassword) : std::string();
    // The account's hospital, so that its administrators see the attempts.
    const std::string hospital = person ? person->Field(pe::kHospital) : std::string();
    if (!TakeAccount(account, address, stored, hospital)) {
        LoginResult throttled;  // counted by the throttle
        std::time_t wait = 0;
        {
            std::lock_guard lock(mutex_);
            wait = throttle_.RetryIn(account, address, stored, clock_());
        }
        // The wait is told, so that a script retries when it is over.
        throttled.error = std::string(kWait) + " (retry in " + std::to_string(std::max<std::time_t>(wait, 1)) + " s)";
        return throttled;
    }
    struct Held {
        LoginService& service;
        const std::string& account;
        ~Held() { service.ReleaseAccount(account); }
    } held{*this, account};

    bool valid = false;
    {
        std::optional<HashQueue::Turn> turn = hashes_.Enter();
        if (!turn) return RefuseUnhashed(account, address, kBusy, hospital);
        // An unknown e-mail costs the same hashing as a known one.
        valid = person ? Verify(password, stored) : (VerifyPassword(password, dummyHash_), false);
        if (valid && PasswordHashIterations(stored) < config_.passwordIterations)
            storage_.Update(catalogue::tbl::kPersonnel, person->seq,
                            {{pe::kPassword, HashPassword(password, config_.passwordIterations)}});
    }

    const std::time_t now = clock_();
    if (!valid) {
        {
            std::lock_guard lock(mutex_);
            throttle_.Failed(account, address, stored, now);
        }
        return Refuse(email, address, person ? "wrong password" : "unknown e-mail", kInvalid, hospital);
    }
    {
        std::lock_guard lock(mutex_);
        throttle_.Succeeded(account, address);
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

std::optional<Principal> LoginService::Resume(const std::string& token, std::optional<SessionInfo>* storeLater) {
    const std::optional<SessionInfo> session = sessions_.Check(token, clock_(), storeLater != nullptr);
    if (!session) return std::nullopt;
    if (storeLater && session->storeUse) *storeLater = session;
    const std::optional<Record> person = storage_.Read(catalogue::tbl::kPersonnel, session->person);
    if (!person) return std::nullopt;
    return PrincipalOf(*person, session->address);
}

void LoginService::LogOut(const std::string& token, const Principal& who) {
    sessions_.End(token);
    AppendAudit(storage_, who, {{audit_action::kLogout, catalogue::tbl::kPersonnel, who.person, "", ""}}, clock_());
}

std::string LoginService::HashForStorage(std::string_view password) {
    std::optional<HashQueue::Turn> turn = hashes_.Enter();
    if (!turn) throw StorageError(kBusy);
    return HashPassword(password, config_.passwordIterations);
}

}  // namespace dalvero::server
