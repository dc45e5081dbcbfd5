#include "schema.h"

#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::server::schema {

namespace cat = dalvero::catalogue;

namespace {

ListDef BySeq() { return ListDef{1, KeyMatch::Seq, 1, 0, {}, {}, false}; }

ListDef Exact(int number, int keyField, std::vector<int> orderBy = {}) {
    return ListDef{number, KeyMatch::Exact, keyField, 0, {}, std::move(orderBy), false};
}

ListDef From(int number, int keyField, std::vector<int> orderBy) {
    return ListDef{number, KeyMatch::From, keyField, 0, {}, std::move(orderBy), false};
}

Condition Closed() { return Condition{cat::cases::kClosed, CompareOp::Equal, cat::kYes, false}; }
Condition Open() { return Condition{cat::cases::kClosed, CompareOp::NotEqual, cat::kYes, false}; }

ListDef CaseList(int number, int keyField, Condition state, int orderField, bool descending) {
    ListDef list = Exact(number, keyField, {orderField});
    list.fixed.push_back(std::move(state));
    list.descending = descending;
    return list;
}

static_assert(cat::LastOwnField(cat::tbl::kProviderEntities) == provider_position::kLongitude,
              "a provider's map position is its last field");

std::vector<TableDef> MakeTables() {
    using namespace cat;
    std::vector<TableDef> t;

    // Closed cases read most recently discharged first; the other lists of
    // a case read by admission; the discharge-date list feeds date ranges.
    ListDef caseByNumber = Exact(7, cases::kCaseNumber);
    caseByNumber.ownerField = cases::kHospital;
    t.push_back({tbl::kCases, LastOwnField(tbl::kCases), 0,
                 {BySeq(), Exact(2, cases::kPatient, {cases::kAdmission}),
                  CaseList(3, cases::kHospital, Closed(), cases::kDischarge, true),
                  CaseList(4, cases::kHospital, Open(), cases::kAdmission, false),
                  CaseList(5, cases::kCaseWorker, Open(), cases::kAdmission, false),
                  CaseList(6, cases::kCaseWorker, Closed(), cases::kDischarge, true), caseByNumber,
                  Exact(8, cases::kHospital, {cases::kDischarge})}});
    t.push_back(
        {tbl::kPatients, LastOwnField(tbl::kPatients), 0, {BySeq(), Exact(patients::kListBySsn, patients::kSsn)}});
    const std::vector<int> byName{personnel::kLastName, personnel::kFirstName};
    t.push_back({tbl::kPersonnel, LastOwnField(tbl::kPersonnel), 0,
                 {BySeq(), From(2, personnel::kLastName, byName), Exact(3, personnel::kHospital, byName),
                  Exact(personnel::kListByEmail, personnel::kEmail)}});
    t.push_back({tbl::kPersonnelTypes, LastOwnField(tbl::kPersonnelTypes), 0,
                 {BySeq(), From(2, personnel_types::kName, {personnel_types::kName})}});
    t.push_back({tbl::kInsuranceTypes, LastOwnField(tbl::kInsuranceTypes), 0,
                 {BySeq(), From(2, insurance_types::kName, {insurance_types::kName})}});
    t.push_back({tbl::kCaseDoctorsLink, LastOwnField(tbl::kCaseDoctorsLink), 0,
                 {BySeq(), Exact(2, case_doctors::kCase)}});
    t.push_back({tbl::kCaseFamily, LastOwnField(tbl::kCaseFamily), 0, {BySeq(), Exact(2, case_family::kCase)}});
    for (const char* name : {tbl::kDiagCodeDetail, tbl::kTreatmentCodeDetail})
        t.push_back({name, LastOwnField(name), 0, {BySeq(), Exact(2, code_detail::kCase)}});
    for (const char* name : {tbl::kICD9Symptom, tbl::kICD9Treatment})
        t.push_back({name, LastOwnField(name), icd9::kDescription, {BySeq(), From(2, icd9::kCode, {icd9::kCode})}});
    t.push_back({tbl::kCaseNeeds, LastOwnField(tbl::kCaseNeeds), 0,
                 {BySeq(), Exact(2, case_needs::kCase, {case_needs::kRequired})}});
    t.push_back({tbl::kCaseNeedsQuote, LastOwnField(tbl::kCaseNeedsQuote), 0, {BySeq(), Exact(2, quote_need::kNeed)}});
    t.push_back({tbl::kProviderEntities, LastOwnField(tbl::kProviderEntities), 0,
                 {BySeq(), From(2, providers::kName, {providers::kName})}});
    t.push_back({tbl::kPreferredProviders, LastOwnField(tbl::kPreferredProviders), 0,
                 {BySeq(), Exact(2, preferred_providers::kHospital)}});
    t.push_back({tbl::kProviderTypes, LastOwnField(tbl::kProviderTypes), 0, {BySeq()}});
    // The need dialog's drop-down must offer every category, whatever key it sends.
    t.push_back({tbl::kProviderCategories, LastOwnField(tbl::kProviderCategories), 0,
                 {BySeq(), ListDef{2, KeyMatch::Ignored, provider_categories::kName, 0, {},
                                   {provider_categories::kName}, false}}});
    t.push_back({tbl::kProviderCategoryDetails, LastOwnField(tbl::kProviderCategoryDetails), 0, {BySeq()}});
    t.push_back({tbl::kProviderCategoryLink, LastOwnField(tbl::kProviderCategoryLink), 0,
                 {BySeq(), Exact(2, category_link::kProvider, {category_link::kCategory}),
                  Exact(3, category_link::kCategory)}});
    t.push_back({kProviderInsuranceLink, provider_insurance::kInsurance, 0,
                 {BySeq(), Exact(2, provider_insurance::kProvider), Exact(3, provider_insurance::kInsurance)}});
    t.push_back({kSessions, sessions::kAddress, 0, {BySeq(), Exact(sessions::kListByDigest, sessions::kTokenDigest)}, 0, 0,
                 false});
    ListDef failuresByKey = Exact(login_failures::kListByKey, login_failures::kAccount);
    failuresByKey.ownerField = login_failures::kAddress;
    t.push_back({kLoginFailures, login_failures::kPassword, 0, {BySeq(), failuresByKey}, 0, 0, false});
    t.push_back({kAuditTrail, audit::kPatients, 0,
                 {BySeq(), Exact(audit::kListByPatient, audit::kPatient, {1}),
                  Exact(audit::kListByEmail, audit::kEmail, {1}), Exact(audit::kListByHospital, audit::kHospital, {1}),
                  Exact(audit::kListByAction, audit::kAction, {audit::kTime})},
                 audit::kPatients, audit::kPatient, false});
    ListDef adtByControlId = Exact(adt_messages::kListByControlId, adt_messages::kControlId);
    adtByControlId.ownerField = adt_messages::kFacility;
    t.push_back({kAdtMessages, adt_messages::kReceived, 0, {BySeq(), adtByControlId}, 0, 0, false});
    ListDef recordByNumber = Exact(record_numbers::kListByNumber, record_numbers::kNumber);
    recordByNumber.ownerField = record_numbers::kHospital;
    t.push_back({kPatientRecordNumbers, record_numbers::kPatient, 0, {BySeq(), recordByNumber}, 0, 0, false});
    t.push_back({kZipCentroids, zip_centroids::kLongitude, 0, {BySeq(), Exact(2, zip_centroids::kZip)}});
    return t;
}

}  // namespace

bool TableDef::HasField(int field) const {
    return (field >= 1 && field <= lastField) || (notes && field > 1000 && field <= kLastNote);
}

const ListDef* TableDef::FindList(int number) const {
    for (const ListDef& list : lists)
        if (list.number == number) return &list;
    return nullptr;
}

const std::vector<TableDef>& Tables() {
    static const std::vector<TableDef> tables = MakeTables();
    return tables;
}

const TableDef* FindTable(std::string_view name) {
    for (const TableDef& table : Tables())
        if (SameText(table.name, name)) return &table;
    return nullptr;
}

const TableDef& RequireTable(std::string_view name) {
    const TableDef* table = FindTable(name);
    if (!table) throw StorageError("unknown table " + std::string(name));
    return *table;
}

}  // namespace dalvero::server::schema
