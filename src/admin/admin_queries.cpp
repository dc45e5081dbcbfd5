#include "admin_queries.h"

#include "function_commands.h"
#include "json_node.h"
#include "record_batch.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace cat = catalogue;
namespace pe = catalogue::personnel;

constexpr int kMaxSearchRows = 20;
// f23 is left out: the server never returns a password, and the list has
// no use for one.
constexpr char kPersonnelFields[] = "f11,f12,f13,f22,f25";
constexpr char kPreferredFields[] =
    "p1,p10,p11,p12,p13,p14,p15,p16,p17,p18,p19,p20,p21,p22,p23,p24,p25,p26";

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}
}  // namespace

std::optional<std::vector<PersonRow>> QueryPersonnel(dbServerConnection& db, const std::string& hospitalSeq) {
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kPersonnel, pe::kListByHospital, hospitalSeq, "", 0, kWholeListPage,
                     kPersonnelFields, "", "", kReadForward))
        return std::nullopt;
    std::vector<PersonRow> rows;
    if (!batch.Set->First()) return rows;
    do {
        cBatchSet& set = *batch.Set;
        rows.push_back({set.Seq, set.ReadField(pe::kFirstName), set.ReadField(pe::kLastName),
                        set.ReadField(pe::kDischargePlanner) == cat::kYes});
    } while (batch.Set->Next());
    return rows;
}

std::optional<bool> EmailTakenByOther(dbServerConnection& db, const std::string& email, const std::string& selfSeq) {
    StringList values;
    if (FindRecord(db, cat::tbl::kPersonnel, pe::kListByEmail, email, "", values))
        return values.size() > cat::kSeq && values[cat::kSeq] != selfSeq;
    if (values.CommaText() == kMissingRecord) return false;
    return std::nullopt;
}

bool WritePassword(dbServerConnection& db, const std::string& personSeq, const std::string& password) {
    return UpdateRecord(db, cat::tbl::kPersonnel, personSeq,
                        StringList{"f" + std::to_string(pe::kPassword) + "=" + password});
}

std::string PreferredRow::Field(const std::string& name) const {
    for (const auto& [n, value] : fields)
        if (n == name) return value;
    return {};
}

std::optional<std::vector<PreferredRow>> QueryPreferredProviders(dbServerConnection& db,
                                                                 const std::string& hospitalSeq) {
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kPreferredProviders, cat::kListByOwner, hospitalSeq, "", 0, kWholeListPage,
                     kPreferredFields, cat::join::kPreferredProvider, "", kReadForward))
        return std::nullopt;
    std::vector<PreferredRow> rows;
    if (!batch.Set->First()) return rows;
    const std::vector<std::string> names = ParseCommaText(kPreferredFields);
    do {
        PreferredRow row{batch.Set->Seq, {}};
        for (const std::string& name : names) row.fields.emplace_back(name, batch.Set->ReadField(name));
        rows.push_back(std::move(row));
    } while (batch.Set->Next());
    return rows;
}

bool AddPreferredProvider(dbServerConnection& db, const std::string& hospitalSeq, const std::string& providerSeq) {
    namespace pp = cat::preferred_providers;
    return !AddRecord(db, cat::tbl::kPreferredProviders,
                      StringList{"f" + std::to_string(pp::kHospital) + "=" + hospitalSeq,
                                 "f" + std::to_string(pp::kProvider) + "=" + providerSeq})
                .empty();
}

bool RemovePreferredProvider(dbServerConnection& db, const std::string& linkSeq) {
    return DeleteRecord(db, cat::tbl::kPreferredProviders, linkSeq);
}

std::optional<std::vector<ProviderRow>> SearchProviders(dbServerConnection& db, const std::string& name,
                                                        const std::string& filter) {
    namespace pv = cat::providers;
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kProviderEntities, cat::kListByName, name, "", 0, kMaxSearchRows,
                     "f10,f12,f13,f14,f15", "", filter, kReadForward))
        return std::nullopt;
    std::vector<ProviderRow> rows;
    if (!batch.Set->First()) return rows;
    const std::string prefix = Upper(name);
    do {
        cBatchSet& set = *batch.Set;
        ProviderRow row{set.Seq, set.ReadField(pv::kName), set.ReadField(pv::kStreet), set.ReadField(pv::kCity),
                        set.ReadField(pv::kState), set.ReadField(pv::kZip)};
        // The list runs on past the typed name; its first other name ends it.
        if (!Upper(row.name).starts_with(prefix)) break;
        rows.push_back(std::move(row));
    } while (batch.Set->Next());
    return rows;
}

std::string UpdateProviderPosition(dbServerConnection& functions, const std::string& providerSeq) {
    cJsonNode request;
    BuildUpdateProviderLatitudeLongitude(request, providerSeq);
    if (RunFunctionCommand(functions, request)) return {};
    return request.GetString(fncmd::kError);
}

std::optional<std::vector<CaseWorkerLoad>> QueryCaseWorkerLoads(dbServerConnection& db,
                                                                dbServerConnection& functions,
                                                                const std::string& hospitalSeq) {
    const auto people = QueryPersonnel(db, hospitalSeq);
    if (!people) return std::nullopt;
    std::vector<CaseWorkerLoad> loads;
    std::vector<std::string> seqs;
    for (const PersonRow& person : *people) {
        if (!person.caseWorker) continue;
        loads.push_back({person.seq, person.firstName + " " + person.lastName, 0, {}});
        seqs.push_back(person.seq);
    }
    if (loads.empty()) return loads;
    cJsonNode request;
    BuildGetCaseManagerStatus(request, seqs, true);
    if (!RunFunctionCommand(functions, request)) return std::nullopt;
    cJsonNode* statusList = request.GetMember(fncmd::kStatusList);
    for (CaseWorkerLoad& load : loads) {
        cJsonNode* member = statusList ? statusList->GetMember(load.seq) : nullptr;
        for (const char* group : kCaseWorkerGroups) {
            std::vector<std::pair<std::string, std::string>> marks;
            if (cJsonNode* list = member ? member->GetMember(group) : nullptr)
                for (std::size_t i = 0; i < static_cast<std::size_t>(list->Count()); ++i)
                    marks.emplace_back(list->NameAt(i), list->ValueAt(i));
            load.groups.push_back(std::move(marks));
        }
        if (member) load.caseCount = ToIntDef(member->GetString("CaseCount"), 0);
    }
    return loads;
}

}  // namespace dalvero
