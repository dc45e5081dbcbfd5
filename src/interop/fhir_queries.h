#pragma once
// The DataServer reads that gather a case for its FHIR Bundle, shared by the
// discharge screen and dalvero-cli. The server decides what the user may
// read and records each read in its audit trail.

#include <string>

#include "fhir_bundle.h"

namespace dalvero {

class dbServerConnection;

enum class FhirCaseOutcome { Ready, NoCase, Failed };

struct FhirCaseQuery {
    FhirCaseOutcome outcome = FhirCaseOutcome::Failed;
    FhirCase fhirCase;  // when Ready
};

// The hospital's case with this number, with its codes, physicians, family,
// needs that are not deleted, their quotes and the providers asked. Failed,
// with the reason in the connection, when any read fails: a referral that
// silently lacks a part would mislead its reader.
FhirCaseQuery QueryFhirCase(dbServerConnection& db, const std::string& hospitalSeq, const std::string& caseNumber);

}  // namespace dalvero
