#include "case_manager_status.h"

#include "case_text.h"
#include "command_args.h"
#include "json_values.h"
#include "need_status.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

constexpr const char* kGroups[] = {"New", "DaysLeft4", "DaysLeft3", "DaysLeft2", "DaysLeft1", "Over"};

// Discharge past: "Over"; discharge on the n-th day counting today as the
// first (n up to 4): "DaysLeft<n>"; otherwise admitted today or yesterday:
// "New"; otherwise no group.
std::string GroupOf(const Record& theCase, int today) {
    if (auto discharge = ParseYmd(Field(theCase, cat::cases::kDischarge))) {
        const int left = DaySerial(*discharge) - today;
        if (left < 0) return "Over";
        if (left < 4) return "DaysLeft" + std::to_string(left + 1);
    }
    if (auto admitted = ParseYmd(Field(theCase, cat::cases::kAdmission)))
        if (const int days = today - DaySerial(*admitted); days >= 0 && days <= 1) return "New";
    return {};
}

// The case number names a mark; the Seq keeps two marks apart if they share it.
void AddMark(cJsonNode& list, const Record& theCase, const std::string& digit) {
    std::string name = Field(theCase, cat::cases::kCaseNumber);
    if (name.empty()) name = "Case " + std::to_string(theCase.seq);
    if (list.HasMember(name)) name += " (" + std::to_string(theCase.seq) + ")";
    list.AddString(name, digit);
}

}  // namespace

void GetCaseManagerStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    Storage& storage = context.storage;
    const bool byDay = IsYes(request.GetString("GroupByDay"));
    const int today = DaySerial(LocalDate(context.clock()));
    cJsonNode& statusList = *reply.GetMember("StatusList");
    for (std::int64_t worker : ParseSeqList(request.GetString("SeqList"))) {
        if (!storage.Read(cat::tbl::kPersonnel, worker)) continue;
        auto cases = RecordsWhere(storage, cat::tbl::kCases, cat::cases::kCaseWorker, std::to_string(worker));
        std::erase_if(cases, [](const Record& c) { return IsYes(Field(c, cat::cases::kClosed)); });

        cJsonNode& member = *statusList.GetMember(std::to_string(worker));
        if (byDay) {
            AddInteger(member, "CaseCount", static_cast<long long>(cases.size()));
            for (const char* group : kGroups) member.GetMember(group);
        }
        std::vector<std::int64_t> seqs;
        for (const Record& theCase : cases) seqs.push_back(theCase.seq);
        const std::map<std::int64_t, std::string> statuses = CaseStatuses(storage, std::move(seqs));
        for (const Record& theCase : cases) {
            const auto status = statuses.find(theCase.seq);
            const std::string digit = status == statuses.end() ? "1" : status->second.substr(0, 1);
            if (!byDay) {
                AddMark(member, theCase, digit);
            } else if (const std::string group = GroupOf(theCase, today); !group.empty()) {
                AddMark(*member.GetMember(group), theCase, digit);
            }
        }
    }
}

}  // namespace dalvero::server::functions
