#pragma once
// The audit trail: one row per log-in, log-out, read or write of patient data
// and mail sent, with who, when, from where and what. Rows are only ever
// appended; each carries the SHA-256 of its own content and of the row before,
// so an edited, inserted or removed row breaks the chain (docs/security.md).

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "principal.h"
#include "storage.h"

namespace dalvero::server {

namespace audit_action {
inline constexpr char kLogin[] = "login";
inline constexpr char kLoginFailed[] = "login-failed";
inline constexpr char kLogout[] = "logout";
inline constexpr char kRead[] = "read";
inline constexpr char kAdd[] = "add";
inline constexpr char kUpdate[] = "update";
inline constexpr char kDelete[] = "delete";
inline constexpr char kMail[] = "mail";
}  // namespace audit_action

struct AuditEntry {
    std::string action;
    std::string table;
    std::int64_t record = 0;  // 0: none
    std::string patient;      // Patients Seq, empty when none is concerned
    std::string detail;

    auto operator<=>(const AuditEntry&) const = default;
};

// Appends the entries in one transaction, chained to the last row.
void AppendAudit(Storage& storage, const Principal& who, const std::vector<AuditEntry>& entries, std::time_t now);

// "yyyymmddhhnnss+hhmm": local time and its UTC offset, as audit rows hold
// it; stamps of one offset sort as text, and a day's prefix filters them.
std::string AuditStamp(std::time_t moment);

struct AuditCheck {
    bool intact = true;
    std::int64_t rows = 0;
    std::int64_t firstBad = 0;  // Seq of the first row that breaks the chain
    std::string problem;
    // The newest row checked and its hash: kept by a nightly job, they show
    // a later cut of the newest rows, which the chain alone cannot.
    std::int64_t lastSeq = 0;
    std::string lastHash;
};

// Walks the whole trail in Seq order and checks every hash and link, and that
// no Seq is missing.
AuditCheck VerifyAuditTrail(Storage& storage);

}  // namespace dalvero::server
