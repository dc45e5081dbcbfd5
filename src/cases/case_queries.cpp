#include "case_queries.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>

#include "function_commands.h"
#include "record_batch.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace cat = catalogue;


// Both case lists read the same fields of a case, its patient and its case
// worker.
constexpr char kCaseListFields[] =
    "f10,f12,f13,f14,f15,f18,f19,f20,f21,f22,f23,f24,f25,f30,P10,P11,P12,P13,P14,P15,cm11,cm13";
constexpr char kCaseListAliases[] = "P=Patients:f10,Ip=InsuranceTypes:f19,Is=InsuranceTypes:f20,cm=Personnel:f23";
constexpr char kHistoryFields[] =
    "f10,f12,f13,f14,f15,f18,f19,f20,f21,f22,cm11,cm13,ip10,is10,it10,P10,P11,P12,P13,P14,P15";
constexpr char kHistoryAliases[] =
    "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,it=InsuranceTypes:f21";
// The closed-case lists page on the server's marks.
constexpr char kPagedLists[] = "Y";

struct SubListKind {
    const char* table;
    const char* fields;
    const char* aliases;
    std::function<std::string(const ListBoxItemClass&)> textOf;
    // Field whose value "P" marks the primary entry; none when no entry is.
    const char* primaryField;
};

const SubListKind& KindOf(CaseSubList which) {
    static const SubListKind physicians{
        cat::tbl::kCaseDoctorsLink,
        "f11,f12,f13,doc10,doc11,doc12,doc13,doc14,doc15,doc16,doc17,doc18,doc19,doc20,doc21,doc22,doc23,doc24,doc25,"
        "doc26,doc27,doc28,hosp10",
        "doc=Personnel:f11,hosp=ProviderEntities:doc9",
        [](const ListBoxItemClass& i) { return i.GetValue("doc13") + ", " + i.GetValue("doc11"); }, "f12"};
    static const SubListKind family{
        cat::tbl::kCaseFamily, "f10,f11,f12,f13,f14,f15,f16,f17,f18,f19,f20,f21,f22,f23", "",
        [](const ListBoxItemClass& i) { return i.GetValue("f11") + " " + i.GetValue("f13"); }, "f23"};
    static const SubListKind diagnoses{cat::tbl::kDiagCodeDetail, "f11,f1001", "",
                                       [](const ListBoxItemClass& i) { return i.GetValue("f11"); }, nullptr};
    static const SubListKind treatments{cat::tbl::kTreatmentCodeDetail, "f11,f1001", "",
                                        [](const ListBoxItemClass& i) { return i.GetValue("f11"); }, nullptr};
    switch (which) {
    case CaseSubList::kPhysicians: return physicians;
    case CaseSubList::kFamily: return family;
    case CaseSubList::kDiagnosisCodes: return diagnoses;
    case CaseSubList::kTreatmentCodes: break;
    }
    return treatments;
}
}  // namespace

const char* SubListTable(CaseSubList which) { return KindOf(which).table; }

std::string SubListText(CaseSubList which, const ListBoxItemClass& item) { return KindOf(which).textOf(item); }

namespace {

std::optional<std::vector<cCaseObject>> QueryCases(dbServerConnection& db, const char* index, const std::string& key,
                                                   const char* fields, const char* aliases, bool withApproval) {
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kCases, index, key, "", 0, kWholeListPage, fields, aliases, "", kReadForward))
        return std::nullopt;
    std::vector<cCaseObject> rows = CaseRows(*batch.Set, withApproval);
    // The server answers a page at a time; the list's size says whether more
    // follow the second mark.
    while (static_cast<int>(rows.size()) < batch.Set->Position && batch.SecondMark != 0) {
        if (!batch.NextPage()) return std::nullopt;
        std::vector<cCaseObject> page = CaseRows(*batch.Set, withApproval);
        // A page that brings nothing would never end the list.
        if (page.empty()) return std::nullopt;
        rows.insert(rows.end(), std::make_move_iterator(page.begin()), std::make_move_iterator(page.end()));
    }
    return rows;
}
}  // namespace

std::vector<cCaseObject> CaseRows(cBatchSet& set, bool withApproval) {
    std::vector<cCaseObject> rows;
    if (!set.First()) return rows;
    do rows.push_back(cCaseObject::FromRecord(set, withApproval));
    while (set.Next());
    return rows;
}

std::optional<std::vector<cCaseObject>> QueryOpenCases(dbServerConnection& db, const CaseListOwner& owner) {
    return owner.showAll ? QueryCases(db, cat::cases::kListOpenByHospital, owner.hospitalSeq, kCaseListFields,
                                      kCaseListAliases, true)
                         : QueryCases(db, cat::cases::kListOpenByWorker, owner.userSeq, kCaseListFields,
                                      kCaseListAliases, true);
}

bool ApplyCaseStatuses(dbServerConnection& functions, std::vector<cCaseObject>& rows) {
    if (rows.empty()) return true;
    std::map<std::string, std::size_t> rowOfSeq;
    std::vector<std::string> seqs;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rowOfSeq.emplace(rows[i].Seq, i);
        seqs.push_back(rows[i].Seq);
    }
    cJsonNode command;
    BuildGetCaseStatus(command, seqs);
    if (!RunFunctionCommand(functions, command)) return false;
    cJsonNode* statuses = command.GetMember(fncmd::kStatusList);
    if (!statuses) return false;
    for (int i = 0; i < statuses->Count(); ++i) {
        const auto row = rowOfSeq.find(statuses->NameAt(static_cast<std::size_t>(i)));
        if (row != rowOfSeq.end()) rows[row->second].Status = statuses->ValueAt(static_cast<std::size_t>(i));
    }
    return true;
}

bool QueryPreviousCases(cRecordBatch& batch, dbServerConnection& db, const CaseListOwner& owner, int pageSize) {
    const bool all = owner.showAll;
    return batch.Query(&db, cat::tbl::kCases, all ? cat::cases::kListClosedByHospital : cat::cases::kListClosedByWorker,
                       all ? owner.hospitalSeq : owner.userSeq, "", 0, std::max(pageSize, 1), kCaseListFields,
                       kCaseListAliases, cat::cases::kClosedFilter, kReadForward, "", kPagedLists);
}

bool PagingButtonsVisible(int count, int position) { return count < position; }

std::optional<std::vector<cCaseObject>> QueryCaseHistory(dbServerConnection& db, const std::string& patientSeq) {
    return QueryCases(db, cat::cases::kListByPatient, patientSeq, kHistoryFields, kHistoryAliases, false);
}

namespace {
// (text, Seq) entries of a list: the fields' values joined by a blank.
std::vector<std::pair<std::string, int>> QueryNamedSeqs(dbServerConnection& db, const char* table,
                                                        const char* index, const std::string& key,
                                                        std::initializer_list<int> fields) {
    std::vector<std::pair<std::string, int>> entries;
    std::vector<std::string> names;
    for (int f : fields) names.push_back("f" + std::to_string(f));
    cRecordBatch batch;
    if (!batch.Query(&db, table, index, key, "", 0, kWholeListPage, ToCommaText(names), "", "", kReadForward) ||
        !batch.Set->First())
        return entries;
    cBatchSet& set = *batch.Set;
    do {
        std::string text;
        for (int f : fields) text += (text.empty() ? "" : " ") + set.ReadField(f);
        entries.emplace_back(std::move(text), ToIntDef(set.Seq, 0));
    } while (set.Next());
    return entries;
}
}  // namespace

std::vector<std::pair<std::string, int>> QueryCaseWorkers(dbServerConnection& db, const std::string& hospitalSeq) {
    return QueryNamedSeqs(db, cat::tbl::kPersonnel, cat::personnel::kListByHospital, hospitalSeq,
                          {cat::personnel::kFirstName, cat::personnel::kLastName});
}

std::vector<std::pair<std::string, int>> QueryInsuranceTypes(dbServerConnection& db) {
    return QueryNamedSeqs(db, cat::tbl::kInsuranceTypes, cat::kListByName, "", {cat::insurance_types::kName});
}

std::optional<std::vector<SubListRow>> QueryCaseSubList(dbServerConnection& db, CaseSubList which,
                                                        const std::string& caseSeq, bool withoutSeq) {
    const SubListKind& kind = KindOf(which);
    std::vector<SubListRow> rows;
    cRecordBatch batch;
    if (!batch.Query(&db, kind.table, cat::kListByOwner, caseSeq, "", 0, kWholeListPage, kind.fields, kind.aliases, "",
                     kReadForward))
        return std::nullopt;
    if (!batch.Set->First()) return rows;
    cBatchSet& set = *batch.Set;
    const std::vector<std::string> names = ParseCommaText(kind.fields);
    do {
        ListBoxItemClass item;
        for (const std::string& name : names) item.SetValue(name, set.ReadField(name));
        if (!withoutSeq) item.Seq = set.Seq;
        const bool primary =
            kind.primaryField && item.GetValue(kind.primaryField) == cat::case_doctors::kPrimaryMark;
        SubListRow row{kind.textOf(item), std::move(item)};
        rows.insert(primary ? rows.begin() : rows.end(), std::move(row));
    } while (set.Next());
    return rows;
}

bool MarkQuotesOfCase(dbServerConnection& db, const std::string& caseSeq, const char* mark, bool liveNeedsOnly) {
    // The keys are no typed dates.
    constexpr char kNoDateKeys[] = "N";
    cRecordBatch needs;
    if (!needs.Query(&db, cat::tbl::kCaseNeeds, cat::kListByOwner, caseSeq, "", 0, kWholeListPage, "f1", "",
                     liveNeedsOnly ? cat::case_needs::kNotDeletedFilter : "", kReadForward, "", kNoDateKeys))
        return false;
    if (!needs.Set->First()) return true;
    bool all = true;
    do {
        cRecordBatch quotes;
        if (!quotes.Query(&db, cat::tbl::kCaseNeedsQuote, cat::kListByOwner, needs.Set->Seq, "", 0, kWholeListPage,
                          "f18", "", "", kReadForward, "", kNoDateKeys)) {
            all = false;
            continue;
        }
        if (!quotes.Set->First()) continue;
        do all = UpdateRecord(db, cat::tbl::kCaseNeedsQuote, quotes.Set->Seq,
                              {"f" + std::to_string(cat::quotes::kClosingMark) + "=" + mark}) &&
                 all;
        while (quotes.Set->Next());
    } while (needs.Set->Next());
    return all;
}

}  // namespace dalvero
