#pragma once
// The audit trail: one row per log-in, log-out, write of patient data and
// mail sent, and one per table for the records of patient data a request
// read, with who, when, from where and what. Rows are only ever appended;
// each carries the SHA-256 of its own content and of the row before, so an
// edited, inserted or removed row breaks the chain (docs/security.md).

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "principal.h"
#include "sql_storage.h"

namespace dalvero::server {

class AuditAnchor;

namespace audit_action {
inline constexpr char kLogin[] = "login";
inline constexpr char kLoginFailed[] = "login-failed";
inline constexpr char kLogout[] = "logout";
inline constexpr char kRead[] = "read";
inline constexpr char kAdd[] = "add";
inline constexpr char kUpdate[] = "update";
inline constexpr char kDelete[] = "delete";
inline constexpr char kMail[] = "mail";
inline constexpr char kAdt[] = "adt";  // an admission message applied (HL7 listener)
// A copy of the whole store taken, or put back, at the server's console.
inline constexpr char kBackup[] = "backup";
inline constexpr char kRestore[] = "restore";
}  // namespace audit_action

struct AuditEntry {
    std::string action;
    std::string table;
    std::int64_t record = 0;  // 0: none
    std::string patient;      // Patients Seq, empty when none is concerned
    std::string detail;
    // A read of several records: every Seq read (record then 0) and, when
    // they concern more than one patient, the patients (patient then empty);
    // both sorted, without repeats.
    std::vector<std::int64_t> records = {};
    std::vector<std::int64_t> patients = {};

    auto operator<=>(const AuditEntry&) const = default;
};

// Who the trail names for what is done at the server's console rather than
// by a person logged in; `hospital` is the hospital concerned, if one is.
Principal ConsoleOperator(const std::string& hospital);

// Appends the entries in one transaction (or inside the caller's), chained
// to the last row.
void AppendAudit(Storage& storage, const Principal& who, const std::vector<AuditEntry>& entries, std::time_t now);

// The newest row: its Seq (0 when the trail is empty) and hash.
struct AuditTip {
    std::int64_t seq = 0;
    std::string hash;
};
AuditTip NewestAuditRow(Storage& storage);

// "yyyymmddhhnnss+hhmm": local time and its UTC offset, as audit rows hold
// it; stamps of one offset sort as text, and a day's prefix filters them.
std::string AuditStamp(std::time_t moment);

struct AuditCheck {
    bool intact = true;
    std::int64_t rows = 0;
    std::int64_t firstBad = 0;  // Seq of the first row that breaks the chain
    std::string problem;
};

// Walks the whole trail in Seq order and checks every hash and link, that no
// Seq is missing, that every row's patients are in the index a look-up by
// patient reads, that the newest row is the last one ever appended, that a
// store someone has logged in to has a trail at all, and, with an anchor,
// that every anchored row is there with its anchored hash.
AuditCheck VerifyAuditTrail(SqlStorage& storage, const AuditAnchor* anchor = nullptr);

}  // namespace dalvero::server
