#pragma once
// Every table, server list, field number and stored code that the client and
// the servers share. Screens and the server name tables and fields only
// through these constants, so a renumbered field changes in one place.
//
// Field numbers are the "N" of "fN"; a joined field is the join's alias and
// the number ("P10"). Fields above 1000 are the record's notes.

#include <string_view>

namespace dalvero::catalogue {

// Table names as the DataServer knows them.
namespace tbl {
inline constexpr char kCases[] = "Cases";
inline constexpr char kPatients[] = "Patients";
inline constexpr char kPersonnel[] = "Personnel";
inline constexpr char kPersonnelTypes[] = "PersonnelTypes";
inline constexpr char kInsuranceTypes[] = "InsuranceTypes";
inline constexpr char kCaseDoctorsLink[] = "CaseDoctorsLink";
inline constexpr char kCaseFamily[] = "CaseFamily";
inline constexpr char kDiagCodeDetail[] = "DiagCodeDetail";
inline constexpr char kTreatmentCodeDetail[] = "TreatmentCodeDetail";
inline constexpr char kICD9Symptom[] = "ICD9Symptom";
inline constexpr char kICD9Treatment[] = "ICD9Treatment";
inline constexpr char kCaseNeeds[] = "CaseNeeds";
inline constexpr char kCaseNeedsQuote[] = "CaseNeedsQuote";
inline constexpr char kProviderEntities[] = "ProviderEntities";
inline constexpr char kPreferredProviders[] = "PreferredProviders";
inline constexpr char kProviderTypes[] = "ProviderTypes";
inline constexpr char kProviderCategories[] = "ProviderCategories";
inline constexpr char kProviderCategoryDetails[] = "ProviderCategoryDetails";
inline constexpr char kProviderCategoryLink[] = "ProviderCategoryLink";
}  // namespace tbl

// Stored values shared by several tables.
inline constexpr char kYes[] = "Y";          // flags are "Y" or empty
inline constexpr char kEmptyValue[] = "~~~"; // written to clear a field explicitly
inline constexpr int kSeq = 1;               // every record's Seq is also f1
inline constexpr int kFirstNote = 1001;      // f1001 is note 1
// Server list read by the owner's Seq: a case's needs, doctors, family and
// codes, a need's quotes, a hospital's preferred providers, a provider's
// categories.
inline constexpr char kListByOwner[] = "L2";
// Server list read from a typed name or code prefix: Personnel (physician
// look-up), ProviderEntities (search, filtered on state and zip),
// InsuranceTypes, PersonnelTypes and the ICD-9 code books.
inline constexpr char kListByName[] = "L2";

namespace cases {
inline constexpr char kListByPatient[] = "L2";
inline constexpr char kListClosedByHospital[] = "L3";  // with kClosedFilter
inline constexpr char kListOpenByHospital[] = "L4";
inline constexpr char kListOpenByWorker[] = "L5";
inline constexpr char kListClosedByWorker[] = "L6";  // with kClosedFilter
inline constexpr char kListByDischarge[] = "L8";     // date range on kDischarge
inline constexpr int kListByNumber = 7;  // FindRecord list number: case number, owner the hospital
inline constexpr char kClosedFilter[] = "f18=Y";

inline constexpr int kPatient = 10;
inline constexpr int kHospital = 11;
inline constexpr int kAdmission = 12;
inline constexpr int kDischarge = 13;  // yyyymmddhhnnss
inline constexpr int kRoom = 14;
inline constexpr int kBed = 15;
inline constexpr int kHeight = 16;
inline constexpr int kWeight = 17;
inline constexpr int kClosed = 18;
inline constexpr int kPrimaryInsurance = 19;
inline constexpr int kSecondaryInsurance = 20;
inline constexpr int kThirdInsurance = 21;
inline constexpr int kCaseNumber = 22;
inline constexpr int kCaseWorker = 23;
inline constexpr int kApprovalRequested = 24;
inline constexpr int kApproved = 25;
inline constexpr int kSex = 30;
inline constexpr int kMaritalStatus = 32;
inline constexpr int kEthnicity = 33;
inline constexpr int kStreet = 34;
inline constexpr int kCity = 35;
inline constexpr int kState = 36;
inline constexpr int kZip = 37;
inline constexpr int kPhone = 39;
inline constexpr int kPhone2 = 40;
inline constexpr int kEmail = 41;
inline constexpr int kLanguage = 42;
inline constexpr int kOtherLanguage = 43;
inline constexpr int kLeftHow = 44;
inline constexpr int kLeftHowDetail = 45;
inline constexpr int kLateAfter = 46;
inline constexpr int kClosedBy = 8;  // Personnel Seq of who closed it, stamped by the server
inline constexpr int kDiagnosisNote = 1001;
inline constexpr int kHealthDetails = 1002;  // JSON object text
// The longest texts the servers take, in UTF-8 bytes; the screens cut typing there.
inline constexpr int kDiagnosisNoteBytes = 16000;
inline constexpr int kHealthDetailsBytes = 40000;

inline constexpr char kSexMale[] = "M";
inline constexpr char kSexFemale[] = "F";
inline constexpr char kMaritalSingle[] = "S";
inline constexpr char kMaritalMarried[] = "M";
inline constexpr char kMaritalDivorced[] = "D";
inline constexpr char kLeftOwn[] = "1";
inline constexpr char kLeftWithFamily[] = "2";
inline constexpr char kLeftTransported[] = "3";
inline constexpr char kLeftOther[] = "4";
}  // namespace cases

namespace patients {
inline constexpr int kListBySsn = 3;  // FindRecord list number
inline constexpr int kFirstName = 10;
inline constexpr int kMiddleName = 11;
inline constexpr int kLastName = 12;
inline constexpr int kSsn = 13;  // nine digits, no separators
inline constexpr int kBirthDate = 14;
}  // namespace patients

namespace personnel {
inline constexpr char kListByHospital[] = "L3";
inline constexpr int kListByEmail = 4;  // FindRecord list number
inline constexpr int kHospital = 9;
inline constexpr int kTitle = 10;
inline constexpr int kFirstName = 11;
inline constexpr int kMiddleName = 12;
inline constexpr int kLastName = 13;
inline constexpr int kPhone = 19;
inline constexpr int kEmail = 22;
inline constexpr int kPassword = 23;
inline constexpr int kType = 24;
inline constexpr int kDischargePlanner = 25;
inline constexpr int kAdministrator = 26;
inline constexpr int kPhysician = 27;
inline constexpr int kSpecialty = 28;
}  // namespace personnel

namespace personnel_types {
inline constexpr int kName = 10;
}

namespace insurance_types {
inline constexpr int kName = 10;       // joined into case lists, drop-downs
inline constexpr int kLabelName = 11;  // case edit labels
}  // namespace insurance_types

namespace case_doctors {
inline constexpr int kCase = 10;
inline constexpr int kDoctor = 11;
inline constexpr int kPrimary = 12;
inline constexpr int kSpecialty = 13;
inline constexpr char kPrimaryMark[] = "P";
}  // namespace case_doctors

namespace case_family {
inline constexpr int kCase = 9;
inline constexpr int kFirstName = 11;
inline constexpr int kLastName = 13;
inline constexpr int kPhone = 19;
inline constexpr int kPhone2 = 20;
inline constexpr int kEmail = 21;
inline constexpr int kRelation = 22;
inline constexpr int kPrimary = 23;
inline constexpr char kPrimaryMark[] = "P";
}  // namespace case_family

// DiagCodeDetail and TreatmentCodeDetail; a case's first record is principal.
namespace code_detail {
inline constexpr int kCase = 10;
inline constexpr int kCode = 11;
inline constexpr int kDescription = 1001;
}  // namespace code_detail

// ICD9Symptom and ICD9Treatment code books.
namespace icd9 {
inline constexpr int kCode = 10;
inline constexpr int kDescription = 11;
}  // namespace icd9

namespace case_needs {
inline constexpr char kNotDeletedFilter[] = "f5!=Y";
inline constexpr int kCreated = 2;  // yyyymmddhhnnss
inline constexpr int kCreator = 4;  // first name of the user who added it
inline constexpr int kDeleted = 5;
inline constexpr int kCase = 10;
inline constexpr int kProviderType = 11;
inline constexpr int kCategory = 12;
inline constexpr int kCategoryDetail = 13;
inline constexpr int kRequired = 14;  // yyyymmddhhnn, or yyyymmdd
inline constexpr int kDescription = 15;
inline constexpr int kDescriptionBytes = 2000;  // the longest description the servers take
inline constexpr int kAwardedQuote = 16;
inline constexpr int kDelivered = 17;
}  // namespace case_needs

namespace quotes {
inline constexpr int kCreated = 2;
inline constexpr int kProvider = 11;
inline constexpr int kPerson = 12;
inline constexpr int kPrice = 13;
inline constexpr int kStatus = 14;
inline constexpr int kRejectReason = 15;  // only while kStatus is kRejected
inline constexpr int kClosingMark = 16;
inline constexpr int kNote = 1001;
inline constexpr int kNoteBytes = 2000;  // the longest note the servers take

inline constexpr char kWaiting[] = "W";
inline constexpr char kAccepted[] = "A";
inline constexpr char kRejected[] = "R";
inline constexpr char kCancelled[] = "X";

inline constexpr char kReasonTooHeavy[] = "1";
inline constexpr char kReasonNoMediCalBeds[] = "2";
inline constexpr char kReasonTooYoung[] = "3";
inline constexpr char kReasonBehavior[] = "4";
inline constexpr char kReasonDecubitus[] = "5";
inline constexpr char kReasonTubeFeeders[] = "6";
inline constexpr char kReasonNoGenderBeds[] = "7";
inline constexpr char kReasonOther[] = "8";  // needs a note

inline constexpr char kClosedMark[] = "C";    // need deleted or case closed
inline constexpr char kReopenedMark[] = "N";  // case reopened
}  // namespace quotes

namespace providers {
inline constexpr int kName = 10;
inline constexpr int kAttention = 11;
inline constexpr int kStreet = 12;
inline constexpr int kCity = 13;
inline constexpr int kState = 14;
inline constexpr int kZip = 15;
inline constexpr int kPhone = 16;
inline constexpr int kTollFree = 17;
inline constexpr int kFax = 18;
inline constexpr int kPhone2 = 19;
inline constexpr int kCompanyEmail = 20;
inline constexpr int kNotifyEmail = 21;
inline constexpr int kSmsEmail = 22;
inline constexpr int kWebsite = 23;
inline constexpr int kReplyToEmail = 24;
inline constexpr int kNpi = 26;
inline constexpr int kLogoSlot = 1;  // file slot of the hospital's JPEG logo
}  // namespace providers

namespace preferred_providers {
inline constexpr int kHospital = 10;
inline constexpr int kProvider = 11;
}  // namespace preferred_providers

namespace provider_types {
inline constexpr int kName = 10;
}
namespace provider_categories {
inline constexpr int kName = 12;
}
namespace provider_category_details {
inline constexpr int kName = 11;
}

namespace category_link {
inline constexpr int kProvider = 10;
inline constexpr int kCategory = 11;
inline constexpr int kField13 = 13;  // always written empty
inline constexpr int kField14 = 14;  // always written empty
}  // namespace category_link

// Join aliases: a joined field is the alias and the joined table's field
// number ("P10"). Alias names compare without regard to letter case.
namespace alias {
inline constexpr char kPatient[] = "P";
inline constexpr char kCaseWorker[] = "cm";
inline constexpr char kPrimaryInsurance[] = "ip";
inline constexpr char kSecondaryInsurance[] = "is";
inline constexpr char kThirdInsurance[] = "it";
inline constexpr char kHospital[] = "h";
inline constexpr char kDoctor[] = "doc";
inline constexpr char kDoctorShort[] = "d";
inline constexpr char kDoctorHospital[] = "hosp";
inline constexpr char kQuoteProvider[] = "pe";
inline constexpr char kQuotePerson[] = "ps";
inline constexpr char kNeedType[] = "PT";
inline constexpr char kNeedCategory[] = "PC";
inline constexpr char kNeedDetail[] = "PD";
inline constexpr char kPreferredProvider[] = "p";
}  // namespace alias

// Join entries for alias lists, "alias=Table:linkField"; several are joined
// with "," ("P=Patients:f10,cm=Personnel:f23").
namespace join {
inline constexpr char kCasePatient[] = "P=Patients:f10";
inline constexpr char kCaseWorker[] = "cm=Personnel:f23";
inline constexpr char kCasePrimaryInsurance[] = "ip=InsuranceTypes:f19";
inline constexpr char kCaseSecondaryInsurance[] = "is=InsuranceTypes:f20";
inline constexpr char kCaseThirdInsurance[] = "it=InsuranceTypes:f21";
inline constexpr char kCaseHospital[] = "h=ProviderEntities:f11";
inline constexpr char kDoctor[] = "doc=Personnel:f11";
inline constexpr char kDoctorShort[] = "d=Personnel:f11";
inline constexpr char kDoctorHospital[] = "hosp=ProviderEntities:doc9";
inline constexpr char kQuoteProvider[] = "pe=ProviderEntities:f11";
inline constexpr char kQuotePerson[] = "ps=Personnel:f12";
inline constexpr char kNeedType[] = "PT=ProviderTypes:f11";
inline constexpr char kNeedCategory[] = "PC=ProviderCategories:f12";
inline constexpr char kNeedDetail[] = "PD=ProviderCategoryDetails:f13";
inline constexpr char kPreferredProvider[] = "p=ProviderEntities:f11";
}  // namespace join

// The last own field of each table above: "*" reads f1 to it, and a list
// without records still names those fields.
struct TableFields {
    const char* table;
    int lastField;
};
inline constexpr TableFields kTableFields[] = {
    {tbl::kCases, cases::kLateAfter},
    {tbl::kPatients, 17},  // f15-f17 are read by the case screens beside the named ones
    {tbl::kPersonnel, personnel::kSpecialty},
    {tbl::kPersonnelTypes, personnel_types::kName},
    {tbl::kInsuranceTypes, insurance_types::kLabelName},
    {tbl::kCaseDoctorsLink, case_doctors::kSpecialty},
    {tbl::kCaseFamily, case_family::kPrimary},
    {tbl::kDiagCodeDetail, code_detail::kCode},
    {tbl::kTreatmentCodeDetail, code_detail::kCode},
    {tbl::kICD9Symptom, icd9::kDescription},
    {tbl::kICD9Treatment, icd9::kDescription},
    {tbl::kCaseNeeds, case_needs::kDelivered},
    {tbl::kCaseNeedsQuote, 18},  // f18 is read (never written) by the case closing and reopening
    {tbl::kProviderEntities, 41},  // the map position, f40 and f41, comes last
    {tbl::kPreferredProviders, preferred_providers::kProvider},
    {tbl::kProviderTypes, provider_types::kName},
    {tbl::kProviderCategories, provider_categories::kName},
    {tbl::kProviderCategoryDetails, provider_category_details::kName},
    {tbl::kProviderCategoryLink, category_link::kField14},
};

// The last own field of the table named (letter case ignored, as the
// servers take names); 0 for a table not listed above.
constexpr int LastOwnField(std::string_view table) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const TableFields& entry : kTableFields) {
        const std::string_view name = entry.table;
        if (name.size() != table.size()) continue;
        std::size_t i = 0;
        while (i < name.size() && lower(name[i]) == lower(table[i])) ++i;
        if (i == name.size()) return entry.lastField;
    }
    return 0;
}

}  // namespace dalvero::catalogue
