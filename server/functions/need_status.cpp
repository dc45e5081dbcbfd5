#include "need_status.h"

#include <algorithm>
#include <array>

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

}  // namespace

std::vector<Record> ListedNeeds(Storage& storage, std::int64_t caseSeq) {
    auto needs = RecordsWhere(storage, cat::tbl::kCaseNeeds, cat::case_needs::kCase, std::to_string(caseSeq));
    std::erase_if(needs, [](const Record& need) { return IsYes(Field(need, cat::case_needs::kDeleted)); });
    return needs;
}

std::vector<Record> LiveQuotes(Storage& storage, std::int64_t needSeq) {
    auto quotes = RecordsWhere(storage, cat::tbl::kCaseNeedsQuote, schema::quote_need::kNeed, std::to_string(needSeq));
    std::erase_if(quotes, [](const Record& quote) {
        return SameLetter(Field(quote, cat::quotes::kClosingMark), cat::quotes::kClosedMark);
    });
    return quotes;
}

std::string NeedStatus(Storage& storage, const Record& need) {
    if (!Field(need, cat::case_needs::kAwardedQuote).empty() || !Field(need, cat::case_needs::kDelivered).empty())
        return "3";
    bool accepted = false, waiting = false, rejected = false;
    for (const Record& quote : LiveQuotes(storage, need.seq)) {
        const std::string status = Field(quote, cat::quotes::kStatus);
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

std::string CaseStatus(Storage& storage, std::int64_t caseSeq) {
    const auto needs = ListedNeeds(storage, caseSeq);
    if (needs.empty()) return "1A";  // no plan made yet
    std::string status = kUrgency.back();
    for (const Record& need : needs) {
        std::string s = NeedStatus(storage, need);
        if (Urgency(s) < Urgency(status)) status = std::move(s);
    }
    return status;
}

void GetCaseNeedStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    cJsonNode& list = *reply.GetMember("StatusList");
    for (std::int64_t seq : ParseSeqList(request.GetString("SeqList"))) {
        const auto need = context.storage.Read(cat::tbl::kCaseNeeds, seq);
        if (need && !IsYes(Field(*need, cat::case_needs::kDeleted)))
            AddText(list, std::to_string(seq), NeedStatus(context.storage, *need));
    }
}

void GetCaseStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    cJsonNode& list = *reply.GetMember("StatusList");
    for (std::int64_t seq : ParseSeqList(request.GetString("SeqList")))
        if (context.storage.Read(cat::tbl::kCases, seq))
            AddText(list, std::to_string(seq), CaseStatus(context.storage, seq));
}

}  // namespace dalvero::server::functions
