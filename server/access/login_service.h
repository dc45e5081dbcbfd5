#pragma once
// Log-in on the server: the stored PBKDF2 hash is checked here and nowhere
// else. Failed log-ins are throttled per account and address, and per
// address across accounts (login_throttle.h), without costing the server
// anything: a try inside a wait is refused before any hashing. An account is
// tried by one log-in at a time, so a burst of guesses is hashed once and the
// rest meet the throttle. Hashing runs in a bounded number of slots behind a
// bounded queue (hash_queue.h): a crowd of log-ins waits its turn and cannot
// take every core.

#include <condition_variable>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "hash_queue.h"
#include "login_throttle.h"
#include "principal.h"
#include "server_config.h"
#include "session_store.h"
#include "storage.h"

namespace dalvero::server {

struct LoginResult {
    bool ok = false;
    std::string error;      // the answer to a refused log-in
    Principal who;
    std::string token;      // the new session
    Record person;          // the Personnel record, password left out
};

class LoginService {
public:
    using Clock = std::function<std::time_t()>;

    // The longest e-mail a log-in may give (the longest an address can be).
    static constexpr std::size_t kMaxEmailLength = 254;

    LoginService(Storage& storage, const SecurityConfig& config, Clock clock = [] { return std::time(nullptr); });
    // Writes the counts of throttled tries not yet in the audit trail.
    ~LoginService();
    LoginService(const LoginService&) = delete;
    LoginService& operator=(const LoginService&) = delete;

    // Unknown e-mail and wrong password give the same answer. Every hashed
    // attempt is written to the audit trail; tries refused unhashed are
    // counted, one row per account, address and interval.
    LoginResult LogIn(const std::string& email, const std::string& password, const std::string& address);

    // The principal of a live session (a function command, a reconnecting
    // DataServer connection); nullopt when the session is not (or no longer)
    // valid or its person has gone. With storeLater it only reads, and a due
    // write of the session's use is handed back for StoreUse.
    std::optional<Principal> Resume(const std::string& token, std::optional<SessionInfo>* storeLater = nullptr);
    void StoreUse(const SessionInfo& session) { sessions_.StoreUse(session, clock_()); }
    void LogOut(const std::string& token, const Principal& who);

    // A password as it is stored: hashed at the policy's iteration count,
    // through the same queue as verifications. Throws StorageError when the
    // queue is full.
    std::string HashForStorage(std::string_view password);

    std::time_t Now() const { return clock_(); }
    const SecurityConfig& Config() const { return config_; }

private:
    bool Verify(const std::string& password, const std::string& stored);
    // hospital: the account's, when the e-mail names one.
    LoginResult Refuse(const std::string& email, const std::string& address, const std::string& why,
                       const std::string& answer, const std::string& hospital = {});
    // A try refused before any hashing: counted, not written at once.
    LoginResult RefuseUnhashed(const std::string& account, const std::string& address, const std::string& answer,
                               const std::string& hospital = {});
    // Holds the account for this log-in alone; false when the throttle
    // refuses it, also after waiting for another log-in of the account.
    bool TakeAccount(const std::string& account, const std::string& address, const std::string& stored,
                     const std::string& hospital);
    void ReleaseAccount(const std::string& account);
    void WriteThrottleReports(bool all);

    Storage& storage_;
    SecurityConfig config_;
    Clock clock_;
    SessionStore sessions_;
    HashQueue hashes_;
    std::mutex mutex_;  // guards throttle_ and trying_
    LoginThrottle throttle_;
    std::set<std::string> trying_;  // accounts with a log-in under way
    std::condition_variable accountFree_;
    const std::string dummyHash_;  // verified against for unknown e-mails, so they take as long
};

}  // namespace dalvero::server
