#pragma once
// The admission events the listener applies to the store: A01 admit and A04
// register (find or add the patient, open a case), A08 update patient
// information, A03 discharge, A11 cancel admit and A13 cancel discharge.
//
// Patient data is read and written only through the sending facility's
// hospital's authorized view, so the listener may do no more there than a
// planner of that hospital, and every write leaves its audit row. Writes keep
// the rules every writer keeps (date forms, no change to a closed case).
// Nothing is applied in part: the caller runs an event inside one
// transaction, and a refusal throws before or undoes what was written.

#include <cstdint>
#include <string>
#include <string_view>

#include "hl7_message.h"
#include "storage.h"

namespace dalvero::server::hl7 {

struct AdtTarget {
    Storage& view;         // the hospital's authorized view of the store
    Storage& store;        // the store itself, for the record numbers the listener keeps
    std::string hospital;  // ProviderEntities Seq
};

struct AdtOutcome {
    std::string patient;       // Patients Seq
    std::int64_t caseSeq = 0;  // the case opened or changed; 0 when none
};

bool IsAdtEvent(std::string_view event);

// Applies the event (MSH-9.2) of message. Throws AdtRefusal when it cannot be
// applied as sent; AccessDenied and StorageError pass through.
AdtOutcome ApplyAdtEvent(const Message& message, std::string_view event, const AdtTarget& target);

}  // namespace dalvero::server::hl7
