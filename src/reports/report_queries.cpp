#include "report_queries.h"

#include "function_commands.h"
#include "json_node.h"
#include "primary_physician.h"
#include "record_batch.h"
#include "record_ops.h"
#include "state_file.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {

namespace cat = catalogue;


const std::string kStateFields = "f12,f13,f22,f37,P13,P14,h26";
const std::string kStateAliases = std::string(cat::join::kCasePatient) + "," + cat::join::kCaseHospital;
const std::string kLateFields = "f12,f13,f22,f46,P10,P11,P12,cm10,cm11,cm12,cm13";
const std::string kLateAliases = std::string(cat::join::kCasePatient) + "," + cat::join::kCaseWorker;
const std::string kQuoteFields = "f2,f15,f1001,pe10,ps10,ps11,ps12,ps13";
const std::string kQuoteAliases = std::string(cat::join::kQuoteProvider) + "," + cat::join::kQuotePerson;
const std::string kChoiceCaseAliases = std::string(cat::join::kCasePatient) + "," + cat::join::kCasePrimaryInsurance;
// Every candidate, not the matching screen's best few: the patient chooses.
constexpr char kEveryMatch[] = "100000";

// The closed cases of the hospital discharged on a day of days.
bool QueryClosedCases(cRecordBatch& batch, dbServerConnection& db, const std::string& hospitalSeq,
                      const DayRange& days, const std::string& fields, const std::string& aliases) {
    return batch.QueryDateRange(&db, cat::tbl::kCases, cat::cases::kListByDischarge, hospitalSeq,
                                cat::cases::kDischarge, days.from, days.to, fields, aliases, "",
                                cat::cases::kClosedFilter);
}

// The codes of a case in the order they were added, the principal first.
std::optional<std::vector<std::string>> QueryCodes(dbServerConnection& db, const char* table,
                                                   const std::string& caseSeq) {
    cRecordBatch batch;
    const std::string field = "f" + std::to_string(cat::code_detail::kCode);
    if (!batch.Query(&db, table, cat::kListByOwner, caseSeq, "", 0, kWholeListPage, field, "", "", kReadForward))
        return std::nullopt;
    std::vector<std::string> codes;
    if (!ForEachRecord(batch, [&](cBatchSet& set) { codes.push_back(set.ReadField(field)); })) return std::nullopt;
    return codes;
}

CivilDate DateOf(const std::string& stored) { return ParseYmd(stored).value_or(CivilDate{}); }

struct StateCase {
    std::string seq;
    ReportRecordDataClass record;
};

// The record's fields that the case and its joins give.
StateCase StateCaseOf(cBatchSet& set) {
    StateCase c{set.Seq, {}};
    ReportRecordDataClass& r = c.record;
    r.birthDate = DateOf(set.ReadField("P14"));
    r.zipCode = set.ReadField("f37");
    r.admissionDate = DateOf(set.ReadField("f12"));
    // Stored with its time; the date part is the discharge day.
    r.dischargeDate = DateOf(set.ReadField("f13"));
    r.patientSsn = set.ReadField("P13");
    r.abstractRecordNumber = set.ReadField("f22");
    r.nationalProviderId = set.ReadField("h26");
    return c;
}

bool AddCodes(dbServerConnection& db, StateCase& c) {
    const auto diagnoses = QueryCodes(db, cat::tbl::kDiagCodeDetail, c.seq);
    const auto procedures = QueryCodes(db, cat::tbl::kTreatmentCodeDetail, c.seq);
    if (!diagnoses || !procedures) return false;
    SetCodes(c.record, *diagnoses, *procedures);
    return true;
}

}  // namespace

std::optional<std::vector<ReportRecordDataClass>> QueryStateRecords(dbServerConnection& db,
                                                                    const std::string& hospitalSeq,
                                                                    const DayRange& days,
                                                                    const ReportProgress& progress) {
    cRecordBatch batch;
    std::vector<StateCase> cases;
    if (!QueryClosedCases(batch, db, hospitalSeq, days, kStateFields, kStateAliases) ||
        !ForEachRecord(batch, [&](cBatchSet& set) { cases.push_back(StateCaseOf(set)); }))
        return std::nullopt;
    std::vector<ReportRecordDataClass> records;
    records.reserve(cases.size());
    for (StateCase& c : cases) {
        if (progress && !progress(records.size(), cases.size())) return std::nullopt;
        if (!AddCodes(db, c)) return std::nullopt;
        records.push_back(std::move(c.record));
    }
    return records;
}

std::optional<std::vector<ReportLateDischargeDataClass>> QueryLateDischarges(dbServerConnection& db,
                                                                             const std::string& hospitalSeq,
                                                                             const DayRange& days) {
    cRecordBatch batch;
    std::vector<LateDischargeCase> cases;
    std::vector<std::string> seqs;
    const bool read = QueryClosedCases(batch, db, hospitalSeq, days, kLateFields, kLateAliases) &&
                      ForEachRecord(batch, [&](cBatchSet& set) {
                          seqs.push_back(set.Seq);
                          cases.push_back({set.ReadField("f22"), set.ReadField("f12"), set.ReadField("f13"),
                                           set.ReadField("f46"), set.ReadField("P10"), set.ReadField("P12"),
                                           set.ReadField("cm11"), set.ReadField("cm13"), {}, {}, {}});
                      });
    if (!read) return std::nullopt;
    std::vector<ReportLateDischargeDataClass> entries;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        LateDischargeCase& c = cases[i];
        // Only the listed cases need their physician.
        if (!IsLateDischarge(c)) continue;
        StringList physician;
        physician.SetCommaText(QueryPrimaryPhysician(db, seqs[i]));
        c.physicianTitle = physician.Value("Title");
        c.physicianFirstName = physician.Value("FirstName");
        c.physicianLastName = physician.Value("LastName");
        entries.push_back(LateDischargeEntry(c));
    }
    return entries;
}

NFPlacementQuery QueryNFPlacement(dbServerConnection& db, const std::string& hospitalSeq,
                                  const std::string& caseNumber, const std::optional<DayRange>& days) {
    NFPlacementQuery result;
    std::string found = "f1,P10,P11,P12";
    if (!FindRecordFields(db, cat::tbl::kCases, cat::cases::kListByNumber, caseNumber, hospitalSeq, found,
                          cat::join::kCasePatient)) {
        if (found == kMissingRecord) result.outcome = NFPlacementOutcome::NoCase;
        return result;
    }
    StringList caseFields;
    caseFields.SetCommaText(found);
    result.report.patientName =
        NFPatientName(caseFields.Value("P10"), caseFields.Value("P11"), caseFields.Value("P12"));

    cRecordBatch needs;
    const std::string category = "f" + std::to_string(cat::case_needs::kCategory);
    std::string need;
    if (!needs.Query(&db, cat::tbl::kCaseNeeds, cat::kListByOwner, caseFields.Value("f1"), "", 0, kWholeListPage,
                     category, "", cat::case_needs::kNotDeletedFilter, kReadForward) ||
        !ForEachRecord(needs, [&](cBatchSet& set) {
            if (need.empty() && IsExtendedCareCategory(ToIntDef(set.ReadField(category), 0))) need = set.Seq;
        }))
        return result;
    if (need.empty()) {
        result.outcome = NFPlacementOutcome::NoExtendedCareNeed;
        return result;
    }

    cRecordBatch quotes;
    std::vector<NFRefusal> refusals;
    const std::string rejected = "f" + std::to_string(cat::quotes::kStatus) + "=" + cat::quotes::kRejected;
    if (!quotes.Query(&db, cat::tbl::kCaseNeedsQuote, cat::kListByOwner, need, "", 0, kWholeListPage, kQuoteFields,
                      kQuoteAliases, rejected, kReadForward) ||
        !ForEachRecord(quotes, [&](cBatchSet& set) {
            refusals.push_back({set.ReadField("f2"), set.ReadField("pe10"), set.ReadField("ps11"),
                                set.ReadField("ps13"), set.ReadField("f15"), set.ReadField("f1001")});
        }))
        return result;
    result.report.entries = NFPlacementEntries(refusals, days);
    result.outcome = NFPlacementOutcome::Ready;
    return result;
}

ChoiceListQuery QueryChoiceList(dbServerConnection& data, dbServerConnection& functions,
                                const std::string& hospitalSeq, const std::string& caseNumber,
                                const std::string& needSeq, const std::string& radius) {
    ChoiceListQuery result;
    std::string found = "f1,P10,P11,P12,ip10";
    if (!FindRecordFields(data, cat::tbl::kCases, cat::cases::kListByNumber, caseNumber, hospitalSeq, found,
                          kChoiceCaseAliases)) {
        if (found == kMissingRecord) result.outcome = ChoiceListOutcome::NoCase;
        return result;
    }
    StringList caseFields;
    caseFields.SetCommaText(found);
    const std::string caseSeq = caseFields.Value("f1");
    // Needs are read through their case, which also keeps out a need of
    // another case.
    cRecordBatch needs;
    std::string category;
    bool listed = false;
    if (!needs.Query(&data, cat::tbl::kCaseNeeds, cat::kListByOwner, caseSeq, "", 0, kWholeListPage, "PC12",
                     cat::join::kNeedCategory, cat::case_needs::kNotDeletedFilter, kReadForward) ||
        !ForEachRecord(needs, [&](cBatchSet& set) {
            if (set.Seq != needSeq) return;
            listed = true;
            category = set.ReadField("PC12");
        }))
        return result;
    if (!listed) {
        result.outcome = ChoiceListOutcome::NoNeed;
        return result;
    }
    ChoiceList& list = result.list;
    list.patientName = NFPatientName(caseFields.Value("P10"), caseFields.Value("P11"), caseFields.Value("P12"));
    list.caseNumber = caseNumber;
    list.category = category;
    list.insurance = caseFields.Value("ip10");
    list.radius = radius;

    cJsonNode command;
    BuildProcessNeedsMatching(command, {caseSeq, needSeq, radius, kEveryMatch, false, true});
    if (!RunFunctionCommand(functions, command)) {
        result.error = command.GetString(fncmd::kError);
        return result;
    }
    // A notice means nobody qualifies: the list is printed empty, which is
    // itself what the patient must be told.
    if (command.HasMember(fncmd::kNotice)) {
        result.outcome = ChoiceListOutcome::Ready;
        return result;
    }
    for (std::size_t p = 0; p < static_cast<std::size_t>(command.Count()); ++p) {
        const cJsonNode* provider = command.ChildAt(p);
        if (!provider) continue;
        std::string address = "f12,f13,f14,f15,f16";
        if (!ReadRecordFields(data, cat::tbl::kProviderEntities, command.NameAt(p), address)) return result;
        StringList a;
        a.SetCommaText(address);
        list.entries.push_back({provider->GetString("Name"), a.Value("f12"), a.Value("f13"), a.Value("f14"),
                                a.Value("f15"), a.Value("f16"), ToIntDef(provider->GetString("Distance"), 0),
                                ToIntDef(provider->GetString("IsPreferred"), 0) != 0});
    }
    result.outcome = ChoiceListOutcome::Ready;
    return result;
}

}  // namespace dalvero
