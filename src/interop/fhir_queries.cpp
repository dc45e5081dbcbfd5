#include "fhir_queries.h"

#include <set>

#include "record_batch.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {

namespace cat = catalogue;


constexpr char kCaseFields[] =
    "f1,f10,f12,f13,f18,f22,f30,f34,f35,f36,f37,f39,f40,f41,P10,P11,P12,P13,P14,ip10,is10,it10";
const std::string kCaseAliases = std::string(cat::join::kCasePatient) + "," + cat::join::kCasePrimaryInsurance + "," +
                                 cat::join::kCaseSecondaryInsurance + "," + cat::join::kCaseThirdInsurance;
constexpr char kPhysicianFields[] = "f11,doc10,doc11,doc12,doc13,doc19,doc22";
constexpr char kFamilyFields[] = "f11,f13,f19,f20,f21,f22";
constexpr char kCodeFields[] = "f11,f1001";
constexpr char kNeedFields[] = "f12,f14,f15,f17,PC12";
constexpr char kQuoteFields[] = "f2,f11,f14,pe10,pe12,pe13,pe14,pe15,pe16";

// Every record of the owner's list in the table, handed to each.
template <class Each>
bool ForEachOwned(dbServerConnection& db, const char* table, const std::string& owner, const char* fields,
                  const std::string& aliases, const char* filter, Each each) {
    cRecordBatch batch;
    return batch.Query(&db, table, cat::kListByOwner, owner, "", 0, kWholeListPage, fields, aliases, filter,
                       kReadForward) &&
           ForEachRecord(batch, each);
}

bool ReadCodes(dbServerConnection& db, const char* table, const std::string& caseSeq, std::vector<FhirCode>& codes) {
    return ForEachOwned(db, table, caseSeq, kCodeFields, "", "", [&](cBatchSet& set) {
        codes.push_back({set.Seq, set.ReadField("f11"), set.ReadField("f1001")});
    });
}

bool ReadPeople(dbServerConnection& db, FhirCase& c) {
    return ForEachOwned(db, cat::tbl::kCaseDoctorsLink, c.seq, kPhysicianFields, cat::join::kDoctor, "",
                        [&](cBatchSet& set) {
                            c.physicians.push_back({set.ReadField("f11"), set.ReadField("doc10"),
                                                    set.ReadField("doc11"), set.ReadField("doc12"),
                                                    set.ReadField("doc13"), set.ReadField("doc19"), "",
                                                    set.ReadField("doc22"), ""});
                        }) &&
           ForEachOwned(db, cat::tbl::kCaseFamily, c.seq, kFamilyFields, "", "", [&](cBatchSet& set) {
               c.family.push_back({set.Seq, "", set.ReadField("f11"), "", set.ReadField("f13"),
                                   set.ReadField("f19"), set.ReadField("f20"), set.ReadField("f21"),
                                   set.ReadField("f22")});
           });
}

bool ReadNeeds(dbServerConnection& db, FhirCase& c) {
    if (!ForEachOwned(db, cat::tbl::kCaseNeeds, c.seq, kNeedFields, cat::join::kNeedCategory,
                      cat::case_needs::kNotDeletedFilter, [&](cBatchSet& set) {
                          FhirNeed need;
                          need.seq = set.Seq;
                          need.category = set.ReadField("f12");
                          need.categoryName = set.ReadField("PC12");
                          need.required = set.ReadField("f14");
                          need.description = set.ReadField("f15");
                          need.delivered = set.ReadField("f17") == cat::kYes;
                          c.needs.push_back(std::move(need));
                      }))
        return false;
    std::set<std::string> asked;
    for (FhirNeed& need : c.needs) {
        const bool read = ForEachOwned(db, cat::tbl::kCaseNeedsQuote, need.seq, kQuoteFields,
                                       cat::join::kQuoteProvider, "", [&](cBatchSet& set) {
                                           const std::string provider = set.ReadField("f11");
                                           need.quotes.push_back(
                                               {set.Seq, set.ReadField("f2"), set.ReadField("f14"), provider});
                                           if (provider.empty() || !asked.insert(provider).second) return;
                                           c.providers.push_back({provider, set.ReadField("pe10"),
                                                                  set.ReadField("pe12"), set.ReadField("pe13"),
                                                                  set.ReadField("pe14"), set.ReadField("pe15"),
                                                                  set.ReadField("pe16")});
                                       });
        if (!read) return false;
    }
    return true;
}

}  // namespace

FhirCaseQuery QueryFhirCase(dbServerConnection& db, const std::string& hospitalSeq, const std::string& caseNumber) {
    FhirCaseQuery result;
    std::string found = kCaseFields;
    if (!FindRecordFields(db, cat::tbl::kCases, cat::cases::kListByNumber, caseNumber, hospitalSeq, found,
                          kCaseAliases)) {
        if (found == kMissingRecord) result.outcome = FhirCaseOutcome::NoCase;
        return result;
    }
    StringList fields;
    fields.SetCommaText(found);
    FhirCase& c = result.fhirCase;
    c.seq = fields.Value("f1");
    c.caseNumber = fields.Value("f22");
    c.admission = fields.Value("f12");
    c.discharge = fields.Value("f13");
    c.closed = fields.Value("f18") == cat::kYes;
    c.patientSeq = fields.Value("f10");
    c.patient = {c.patientSeq, "", fields.Value("P10"), fields.Value("P11"), fields.Value("P12"),
                 fields.Value("f39"), fields.Value("f40"), fields.Value("f41"), ""};
    c.ssn = fields.Value("P13");
    c.birthDate = fields.Value("P14");
    c.sex = fields.Value("f30");
    c.street = fields.Value("f34");
    c.city = fields.Value("f35");
    c.state = fields.Value("f36");
    c.zip = fields.Value("f37");
    c.insurances = {fields.Value("ip10"), fields.Value("is10"), fields.Value("it10")};
    if (!ReadCodes(db, cat::tbl::kDiagCodeDetail, c.seq, c.diagnoses) ||
        !ReadCodes(db, cat::tbl::kTreatmentCodeDetail, c.seq, c.procedures) || !ReadPeople(db, c) ||
        !ReadNeeds(db, c))
        return result;
    result.outcome = FhirCaseOutcome::Ready;
    return result;
}

}  // namespace dalvero
