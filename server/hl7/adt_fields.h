#pragma once
// What an ADT message says about the patient and the stay, in the store's
// fields (the mapping is in docs/hl7.md). HL7's "no value" (an empty field)
// leaves a stored field as it is; HL7's delete value ("") clears it, which is
// an empty value here. A value the store cannot keep in its form (a birth
// date that is no date, an SSN that is not nine digits) is refused rather
// than dropped, so that a patient is never filed under a number half read.

#include <optional>
#include <stdexcept>
#include <string>

#include "hl7_message.h"
#include "storage.h"

namespace dalvero::server::hl7 {

// A message understood but not applied: its reason and the HL7 error code
// (table 0357) of the acknowledgement.
class AdtRefusal : public std::runtime_error {
public:
    AdtRefusal(std::string code, const std::string& text) : std::runtime_error(text), code_(std::move(code)) {}
    const std::string& code() const { return code_; }

private:
    std::string code_;
};

namespace error_code {
inline constexpr char kRequiredFieldMissing[] = "101";
inline constexpr char kDataTypeError[] = "102";
inline constexpr char kUnsupportedEvent[] = "201";
inline constexpr char kUnsupportedVersion[] = "203";
inline constexpr char kUnknownKey[] = "204";
inline constexpr char kDuplicateKey[] = "205";
inline constexpr char kInternalError[] = "207";
}  // namespace error_code

// Patients fields from PID: names (PID-5), SSN (PID-19), birth date (PID-7).
FieldValues PatientValues(const Message& message);
// Cases fields from PID and PV1 other than the dates: sex, marital status,
// address, phones and e-mail, room and bed, visit number (case number).
FieldValues StayValues(const Message& message);

// The patient's nine-digit SSN (PID-19), empty when none is given.
std::string Ssn(const Message& message);
// The hospital's record number (PID-3: the repetition of type MR, else the first).
std::string RecordNumber(const Message& message);
// The visit number (PV1-19), the case's number.
std::string VisitNumber(const Message& message);

// An HL7 date-time as "yyyymmddhhnnss" (a date alone at midnight), the zone
// offset dropped: the store keeps the hospital's local time. None for empty
// text; throws AdtRefusal naming `where` for text that is no date.
std::optional<std::string> StoredDateTime(const std::string& text, const char* where);
// The first of PV1-field, EVN-6 (event occurred) and EVN-2 (recorded) that is
// given, as a stored date-time; none when none is.
std::optional<std::string> EventTime(const Message& message, int pv1Field);

// The attending physician (PV1-7): family and given name.
struct PersonName {
    std::string family;
    std::string given;
};
PersonName Attending(const Message& message);

}  // namespace dalvero::server::hl7
