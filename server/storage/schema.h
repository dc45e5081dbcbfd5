#pragma once
// The tables the servers keep, their fields and their server lists. The SQL
// engine builds tables and indexes from this; the DataServer reads lists
// through it. SQL identifiers come only from here.

#include <string>
#include <string_view>
#include <vector>

#include "storage.h"

namespace dalvero::server::schema {

// Every table keeps the Seq (field 1), record-keeping fields 2-9, its own
// fields 10..lastField and notes 1001..kLastNote.
inline constexpr int kFirstRecordKeeping = 2;
inline constexpr int kFirstOwnField = 10;
inline constexpr int kLastNote = 1099;

// Server-only tables and fields, beside those of the shared catalogue.
inline constexpr char kProviderInsuranceLink[] = "ProviderInsuranceLink";
inline constexpr char kZipCentroids[] = "ZipCentroids";
namespace provider_insurance {
inline constexpr int kProvider = 10;
inline constexpr int kInsurance = 11;  // InsuranceTypes Seq
}  // namespace provider_insurance
namespace zip_centroids {
inline constexpr int kZip = 10;
inline constexpr int kLatitude = 11;  // decimal degrees, north positive
inline constexpr int kLongitude = 12;  // decimal degrees, east positive
}  // namespace zip_centroids
namespace provider_position {
inline constexpr int kLatitude = 40;  // ProviderEntities, decimal degrees
inline constexpr int kLongitude = 41;
}  // namespace provider_position
// Log-in sessions: what the DataServer log-in hands out and every server
// process checks. Only the token's digest is kept.
inline constexpr char kSessions[] = "Sessions";
namespace sessions {
inline constexpr int kTokenDigest = 10;  // hex SHA-256 of the token
inline constexpr int kPerson = 11;       // Personnel Seq
inline constexpr int kCreated = 12;      // seconds since the Unix epoch
inline constexpr int kLastUsed = 13;
inline constexpr int kEnded = 14;        // "Y" after log-out
inline constexpr int kAddress = 15;
inline constexpr int kListByDigest = 2;
}  // namespace sessions
// Failed log-ins by account and address, kept in the store so that every
// server process on it counts them alike: guesses spread over servers add
// up. Times are seconds since the Unix epoch in 12 digits, so they compare
// as text.
inline constexpr char kLoginFailures[] = "LoginFailures";
namespace login_failures {
inline constexpr int kAccount = 10;      // the e-mail in lower case; empty for an address's own count
inline constexpr int kAddress = 11;
inline constexpr int kCount = 12;
inline constexpr int kLast = 13;
inline constexpr int kLockedUntil = 14;  // 0 when not locked
inline constexpr int kPassword = 15;     // digest of the stored password the failures were against
inline constexpr int kListByKey = 2;     // account, address as the owner
}  // namespace login_failures
// The audit trail: appended to only, each row's hash chained to the one before.
inline constexpr char kAuditTrail[] = "AuditTrail";
namespace audit {
inline constexpr int kTime = 10;      // yyyymmddhhnnss+hhmm, local time and its UTC offset
inline constexpr int kPerson = 11;    // Personnel Seq, empty before a log-in
inline constexpr int kEmail = 12;     // the e-mail given or logged in with
inline constexpr int kAddress = 13;
inline constexpr int kAction = 14;    // login, login-failed, logout, read, add, update, delete, mail, adt
inline constexpr int kTable = 15;
inline constexpr int kRecord = 16;    // Seq in kTable; a read's entry: every Seq read, as a Seq set
inline constexpr int kPatient = 17;   // the patient concerned, when there is one
inline constexpr int kHospital = 18;  // the person's hospital
inline constexpr int kDetail = 19;
inline constexpr int kPrevious = 20;  // hash of the row before (empty for the first)
inline constexpr int kHash = 21;
// A read's entry that concerns several patients: all of them, as a Seq set
// (kPatient then stays empty). A list by kPatient finds these entries too.
inline constexpr int kPatients = 22;
inline constexpr int kListByPatient = 2;
inline constexpr int kListByEmail = 3;
inline constexpr int kListByHospital = 4;
inline constexpr int kListByAction = 5;  // by time: the mails of the last hour
}  // namespace audit
// Admission messages of the HL7 listener: each control id of a sending
// facility is applied once, and a resend gets the answer it got first.
inline constexpr char kAdtMessages[] = "AdtMessages";
namespace adt_messages {
inline constexpr int kFacility = 10;   // MSH-4 as named in server.ini
inline constexpr int kControlId = 11;  // MSH-10
inline constexpr int kAnswer = 12;     // the acknowledgement sent, without its frame
inline constexpr int kReceived = 13;   // yyyymmddhhnnss+hhmm, as audit rows stamp time
inline constexpr int kListByControlId = 2;
}  // namespace adt_messages
// The hospitals' own record numbers of their patients (PID-3), as their
// admission systems send them: one patient may have one in each hospital.
inline constexpr char kPatientRecordNumbers[] = "PatientRecordNumbers";
namespace record_numbers {
inline constexpr int kHospital = 10;  // ProviderEntities Seq
inline constexpr int kNumber = 11;
inline constexpr int kPatient = 12;   // Patients Seq
inline constexpr int kListByNumber = 2;
}  // namespace record_numbers
namespace quote_need {
inline constexpr int kNeed = 10;  // CaseNeedsQuote: the CaseNeeds Seq
}

// How a list's key selects its records.
enum class KeyMatch {
    Seq,     // the record whose Seq is the key; an empty key reads the whole table
    Exact,   // records whose key field equals the key (an empty key: empty fields)
    From,    // records whose key field is at or after the key (letter case ignored)
    Ignored  // every record, whatever the key
};

struct ListDef {
    int number = 0;  // "L" + number
    KeyMatch match = KeyMatch::Seq;
    int keyField = 1;
    int ownerField = 0;  // a second exact key ("Owner"), 0 when the list has none
    std::vector<Condition> fixed;  // what every member meets (open, closed)
    std::vector<int> orderBy;
    bool descending = false;

    // The field a positioning key is compared with: the first order term.
    int PositionField() const { return orderBy.empty() ? 1 : orderBy.front(); }
};

struct TableDef {
    std::string name;
    int lastField = kFirstOwnField;
    int textSearchField = 0;  // field with a full-text index, 0 for none
    std::vector<ListDef> lists;  // L1 (by Seq) first
    // A field holding a Seq set (seq_set.h), indexed beside the table, and
    // the field of a single Seq whose equality conditions also match the
    // records whose set holds that Seq; 0 for none.
    int seqSetField = 0;
    int seqSetOf = 0;
    // The server's own tables take no notes, so reading them never asks the
    // notes table (a session is looked up on every request).
    bool notes = true;

    bool HasField(int field) const;
    const ListDef* FindList(int number) const;
};

const std::vector<TableDef>& Tables();
// Letter case ignored, as the client names tables freely ("providerEntities").
const TableDef* FindTable(std::string_view name);
// The same; throws StorageError for an unknown table.
const TableDef& RequireTable(std::string_view name);

}  // namespace dalvero::server::schema
