#pragma once
// How often failed log-ins may be tried again. Failures count per account and
// address together: a wait after each (doubling up to a maximum), then a
// lock, so someone guessing one planner's password from one machine is
// stopped while the planner, on another machine, still gets in. An address
// also counts its failures across all accounts and is locked after five
// times as many, against guessing through many accounts; a single mistyped
// password on a shared machine holds back nobody else. Tries refused while
// throttled are counted and reported once per account, address and interval,
// so a flood of them cannot flood the audit trail.
//
// An account is unlocked by giving it a new password: failures counted
// against the old one no longer count. Failure counts and locks live in the
// store (schema::kLoginFailures), so that every server on one database
// counts the same guesses; the reports of throttled tries are each
// process's own.

#include <cstddef>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "server_config.h"
#include "storage.h"

namespace dalvero::server {

// Throttled tries of one account (empty: an address lock, whatever the
// account) from one address within one interval.
struct ThrottledTries {
    std::string account;
    std::string address;
    std::string hospital;  // the account's, when it names one
    int count = 0;
    std::time_t since = 0;
};

class LoginThrottle {
public:
    // Throttled tries are reported per interval of this many seconds.
    static constexpr std::time_t kReportInterval = 60;

    LoginThrottle(Storage& storage, const SecurityConfig& config);

    // Whether the account may be tried from the address now. password names
    // the account's stored password (empty for an unknown account): failures
    // counted while it was another one do not count. A try refused here is
    // counted for the next report, under the account's hospital. Failures of
    // the store throw StorageError.
    bool MayTry(const std::string& account, const std::string& address, const std::string& password,
                const std::string& hospital, std::time_t now);
    void Failed(const std::string& account, const std::string& address, const std::string& password,
                std::time_t now);
    // A correct password: the account's failures from this address are gone.
    void Succeeded(const std::string& account, const std::string& address);
    // Seconds until the account may try again from the address (0: now).
    std::time_t RetryIn(const std::string& account, const std::string& address, const std::string& password,
                        std::time_t now);

    // A try refused unhashed for another reason (a full queue, an e-mail no
    // account can have), counted and reported as throttled ones are.
    void CountRefusal(const std::string& account, const std::string& address, const std::string& hospital,
                      std::time_t now) {
        Refused({account, address}, hospital, now);
    }

    // The counts of throttled tries whose interval is over (all of them with
    // `all`), each once.
    std::vector<ThrottledTries> TakeReports(std::time_t now, bool all = false);

private:
    struct Failures {
        std::int64_t seq = 0;  // 0: none stored
        int count = 0;
        std::time_t last = 0;
        std::time_t lockedUntil = 0;
        std::string password;  // digest of the stored password the failures were against
    };
    using Key = std::pair<std::string, std::string>;  // account, address

    // The key's failures that still count: none after a lock has run out,
    // long after the last failure, or against another password.
    Failures Current(const Key& key, const std::string& password, std::time_t now);
    // Seconds until the key may try again (0: now).
    std::time_t WaitFor(const Key& key, const std::string& password, std::time_t now);
    void Count(const Key& key, const std::string& password, int lockAfter, std::time_t now);
    void Refused(const Key& key, const std::string& hospital, std::time_t now);
    // Removes stale counts now and then, so made-up accounts cannot grow
    // the table without end.
    void Prune(std::time_t now);

    Storage& storage_;
    SecurityConfig config_;
    int failedSincePrune_ = 0;
    std::map<Key, ThrottledTries> refused_;
    std::time_t nextReport_ = 0;  // when the earliest count is due; 0: none
};

}  // namespace dalvero::server
