#pragma once
// A case as one FHIR R4 Bundle of type "collection", the form in which a
// referral leaves the hospital for providers and other systems. The case's
// records become resources whose ids are their Seqs, so references inside
// the Bundle ("Patient/12") name the records they came from. Stored texts go
// out as they are; stored dates (yyyymmdd, or with the time of day) become
// FHIR dates, with the time in the exporting machine's zone. Parts the case
// lacks are left out, never written empty.

#include <string>
#include <vector>

namespace dalvero {

struct FhirPerson {
    std::string seq;
    std::string title;
    std::string firstName;
    std::string middleName;
    std::string lastName;
    std::string phone;
    std::string phone2;
    std::string email;
    std::string relation;  // family contacts: how they relate to the patient
};

struct FhirCode {
    std::string seq;
    std::string code;  // ICD-9-CM, as stored
    std::string description;
};

struct FhirProvider {
    std::string seq;
    std::string name;
    std::string street;
    std::string city;
    std::string state;
    std::string zip;
    std::string phone;
};

struct FhirQuote {
    std::string seq;
    std::string created;   // yyyymmddhhnnss
    std::string status;    // stored quote status: W, A, R or X
    std::string provider;  // the Seq of one of FhirCase::providers
};

struct FhirNeed {
    std::string seq;
    std::string category;  // the provider category's number
    std::string categoryName;
    std::string required;  // yyyymmddhhnn or yyyymmdd
    std::string description;
    bool delivered = false;
    std::vector<FhirQuote> quotes;
};

struct FhirCase {
    std::string seq;
    std::string caseNumber;
    std::string admission;  // yyyymmddhhnnss
    std::string discharge;
    bool closed = false;

    std::string patientSeq;
    FhirPerson patient;
    std::string ssn;
    std::string birthDate;  // yyyymmdd
    std::string sex;        // stored code, M or F
    std::string street;
    std::string city;
    std::string state;
    std::string zip;

    std::vector<std::string> insurances;  // names, primary first
    std::vector<FhirCode> diagnoses;      // principal first
    std::vector<FhirCode> procedures;
    std::vector<FhirPerson> physicians;
    std::vector<FhirPerson> family;
    std::vector<FhirNeed> needs;
    std::vector<FhirProvider> providers;  // each provider asked, once
};

inline constexpr char kIcd9System[] = "http://hl7.org/fhir/sid/icd-9-cm";
inline constexpr char kSsnSystem[] = "http://hl7.org/fhir/sid/us-ssn";

// The Bundle's JSON text.
std::string FhirBundleJson(const FhirCase& c);

}  // namespace dalvero
