#pragma once
// Log-in on the server: the stored PBKDF2 hash is checked here and nowhere
// else. Failed log-ins are throttled per account and per address (a growing
// wait, then a lock) without costing the server anything: a try inside the
// wait is refused before any hashing. Hashing runs with a bounded number of
// verifications at once, so a flood of log-ins cannot take every thread.

#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>

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

    LoginService(Storage& storage, const SecurityConfig& config, Clock clock = [] { return std::time(nullptr); });

    // Unknown e-mail and wrong password give the same answer. Every attempt
    // is written to the audit trail.
    LoginResult LogIn(const std::string& email, const std::string& password, const std::string& address);

    // The principal of a live session (a function command, a reconnecting
    // DataServer connection); nullopt when the session is not (or no longer)
    // valid or its person has gone.
    std::optional<Principal> Resume(const std::string& token);
    void LogOut(const std::string& token, const Principal& who);

    // A password as it is stored: hashed at the policy's iteration count,
    // through the same bounded gate as verifications.
    std::string HashForStorage(std::string_view password);

    std::time_t Now() const { return clock_(); }
    const SecurityConfig& Config() const { return config_; }

private:
    struct Failures {
        int count = 0;
        std::time_t last = 0;
        std::time_t lockedUntil = 0;
    };

    // Seconds until the key may try again (0: now).
    std::time_t WaitFor(const std::string& key, std::time_t now);
    void Failed(const std::string& key, int lockAfter, std::time_t now);
    bool Verify(const std::string& password, const std::string& stored);
    // hospital: the account's, when the e-mail names one.
    LoginResult Refuse(const std::string& email, const std::string& address, const std::string& why,
                       const std::string& answer, const std::string& hospital = {});

    Storage& storage_;
    SecurityConfig config_;
    Clock clock_;
    SessionStore sessions_;
    std::counting_semaphore<64> hashing_;
    std::mutex mutex_;
    std::map<std::string, Failures> failures_;
    const std::string dummyHash_;  // verified against for unknown e-mails, so they take as long
};

}  // namespace dalvero::server
