#include "need_status.h"

#include <algorithm>
#include <array>
#include <set>

#include "command_args.h"
#include "json_values.h"
#include "schema.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

// Most urgent first; a case takes the first of these that any need has.
constexpr std::array<const char*, 5> kUrgency{"1A", "1B", "1C", "2", "3"};

std::size_t Urgency(const std::string& status) {
    const auto it = std::find(kUrgency.begin(), kUrgency.end(), status);
    return static_cast<std::size_t>(it - kUrgency.begin());
}

bool SameLetter(const std::string& text, const char* code) { return text.size() == 1 && SameText(text, code); }

bool IsLive(const Record& quote) {
    return !SameLetter(Field(quote, cat::quotes::kClosingMark), cat::quotes::kClosedMark);
}

// A need's status from its live requests.
bool IsFilled(const Record& need) {
    return !Field(need, cat::case_needs::kAwardedQuote).empty() || !Field(need, cat::case_needs::kDelivered).empty();
}

std::string StatusOf(const Record& need, const std::vector<const Record*>& liveQuotes) {
    if (IsFilled(need)) return "3";
    bool accepted = false, waiting = false, rejected = false;
    for (const Record* quote : liveQuotes) {
        const std::string status = Field(*quote, cat::quotes::kStatus);
        if (SameLetter(status, cat::quotes::kAccepted))
            accepted = true;
        else if (SameLetter(status, cat::quotes::kRejected))
            rejected = true;
        else if (!SameLetter(status, cat::quotes::kCancelled))
            waiting = true;  // "W", and anything unknown, awaits an answer
    }
    // A cancelled request is as good as none sent.
    if (accepted) return "1C";
    if (waiting) return "2";
    if (rejected) return "1B";
    return "1A";
}

}  // namespace

std::vector<Record> ListedNeeds(Storage& storage, std::int64_t caseSeq) {
    auto needs = RecordsWhere(storage, cat::tbl::kCaseNeeds, cat::case_needs::kCase, std::to_string(caseSeq));
    std::erase_if(needs, [](const Record& need) { return IsYes(Field(need, cat::case_needs::kDeleted)); });
    return needs;
}

std::vector<Record> LiveQuotes(Storage& storage, std::int64_t needSeq) {
    auto quotes = RecordsWhere(storage, cat::tbl::kCaseNeedsQuote, schema::quote_need::kNeed, std::to_string(needSeq));
    std::erase_if(quotes, [](const Record& quote) { return !IsLive(quote); });
    return quotes;
}

std::string NeedStatus(Storage& storage, const Record& need) {
    if (IsFilled(need)) return "3";  // its requests no longer matter, and are not read
    const std::vector<Record> quotes = LiveQuotes(storage, need.seq);
    std::vector<const Record*> live;
    for (const Record& quote : quotes) live.push_back(&quote);
    return StatusOf(need, live);
}

std::map<std::int64_t, std::string> CaseStatuses(Storage& storage, std::vector<std::int64_t> caseSeqs) {
    std::sort(caseSeqs.begin(), caseSeqs.end());
    caseSeqs.erase(std::unique(caseSeqs.begin(), caseSeqs.end()), caseSeqs.end());
    // Three statements whatever the number of cases: the cases, their
    // needs, and the needs' requests.
    std::map<std::int64_t, std::string> statuses;
    Condition ofCases{cat::case_needs::kCase, CompareOp::OneOf, {}, false};
    for (const Record& theCase : storage.ReadEach(cat::tbl::kCases, caseSeqs)) {
        statuses[theCase.seq] = "1A";  // no plan made yet
        ofCases.values.push_back(std::to_string(theCase.seq));
    }
    if (statuses.empty()) return statuses;
    std::vector<Record> needs = storage.Select({cat::tbl::kCaseNeeds, {std::move(ofCases)}});
    std::erase_if(needs, [](const Record& need) { return IsYes(Field(need, cat::case_needs::kDeleted)); });
    Condition ofNeeds{schema::quote_need::kNeed, CompareOp::OneOf, {}, false};
    for (const Record& need : needs)
        if (!IsFilled(need)) ofNeeds.values.push_back(std::to_string(need.seq));
    std::vector<Record> quotes;
    if (!ofNeeds.values.empty()) quotes = storage.Select({cat::tbl::kCaseNeedsQuote, {std::move(ofNeeds)}});
    std::map<std::int64_t, std::vector<const Record*>> liveOf;
    for (const Record& quote : quotes)
        if (IsLive(quote)) liveOf[ParseSeq(Field(quote, schema::quote_need::kNeed)).value_or(0)].push_back(&quote);

    std::set<std::int64_t> planned;  // cases with a listed need
    for (const Record& need : needs) {
        const auto theCase = statuses.find(ParseSeq(Field(need, cat::case_needs::kCase)).value_or(0));
        if (theCase == statuses.end()) continue;
        std::string status = StatusOf(need, liveOf[need.seq]);
        // A case takes its most urgent need's status.
        if (planned.insert(theCase->first).second || Urgency(status) < Urgency(theCase->second))
            theCase->second = std::move(status);
    }
    return statuses;
}

void GetCaseNeedStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    cJsonNode& list = *reply.GetMember("StatusList");
    for (std::int64_t seq : ParseSeqList(request.GetString("SeqList"))) {
        const auto need = context.storage.Read(cat::tbl::kCaseNeeds, seq);
        if (need && !IsYes(Field(*need, cat::case_needs::kDeleted)))
            list.AddString(std::to_string(seq), NeedStatus(context.storage, *need));
    }
}

void GetCaseStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    cJsonNode& list = *reply.GetMember("StatusList");
    const std::vector<std::int64_t> seqs = ParseSeqList(request.GetString("SeqList"));
    const std::map<std::int64_t, std::string> statuses = CaseStatuses(context.storage, seqs);
    for (std::int64_t seq : seqs)
        if (const auto found = statuses.find(seq); found != statuses.end())
            list.AddString(std::to_string(seq), found->second);
}

}  // namespace dalvero::server::functions
