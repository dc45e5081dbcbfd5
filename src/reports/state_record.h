#pragma once
// One discharged case as the state's discharge data file reports it: the
// fields in file order with their defaults. Dates are date values (the zero
// date is "none"); the national provider ID is the hospital's ten digits as
// text, since a number would lose leading zeros and overflow 32 bits.

#include <array>
#include <string>

#include "date_text.h"

namespace dalvero {

struct OtherDiagnosesOrInjuryDataClass {
    std::string code;
    std::string presentOnAdmission;
};

struct OtherProcedureDataClass {
    std::string code;
    CivilDate date;
};

struct ReportRecordDataClass {
    static constexpr std::size_t kOtherDiagnoses = 24;
    static constexpr std::size_t kOtherProcedures = 20;
    static constexpr std::size_t kOtherInjuryCauses = 4;

    int typeOfCare = 0;
    std::string facilityId;
    CivilDate birthDate;
    int sex = 0;
    int ethnicity = 0;
    int race = 0;
    std::string zipCode;
    CivilDate admissionDate;
    int admissionSourceSite = 0;
    int admissionSourceLicensure = 0;
    int admissionSourceRoute = 0;
    int admissionType = 0;
    CivilDate dischargeDate;
    std::string principalDiagnosis;
    std::string principalDiagnosisPoa;
    std::array<OtherDiagnosesOrInjuryDataClass, kOtherDiagnoses> otherDiagnoses;
    std::string principalProcedure;
    CivilDate principalProcedureDate;
    std::array<OtherProcedureDataClass, kOtherProcedures> otherProcedures;
    std::string principalInjuryCause;
    std::string principalInjuryCausePoa;
    std::array<OtherDiagnosesOrInjuryDataClass, kOtherInjuryCauses> otherInjuryCauses;
    std::string patientSsn;
    std::string patientDisposition;
    long long totalCharges = 0;
    std::string abstractRecordNumber;
    std::string dnrOrder;
    std::string paymentPayerCategory;
    int paymentCoverageType = 0;
    std::string paymentPlanCodeNumber;
    std::string nationalProviderId;
    std::string principalLanguage;
};

}  // namespace dalvero
