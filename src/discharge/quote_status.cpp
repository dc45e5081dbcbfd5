#include "quote_status.h"

#include <array>

#include "table_catalogue.h"

namespace dalvero {
namespace {
namespace q = catalogue::quotes;

constexpr std::array<const char*, 8> kReasons{
    "Too heavy", "No Medi-Cal beds", "Too young", "Behavior problem", "Decubitus",
    "Facility has too many tube feeders", "No gender appropiate beds", "Other"};

std::string Field(int number, const std::string& value) { return "f" + std::to_string(number) + "=" + value; }
}  // namespace

std::string QuoteStatusWord(std::string_view status) {
    if (status == q::kAccepted) return "Accepted";
    if (status == q::kRejected) return "Rejected";
    if (status == q::kCancelled) return "Cancelled";
    return "Waiting";
}

std::string RejectionReasonText(std::string_view reason) {
    if (reason.size() != 1 || reason[0] < '1' || reason[0] > '8') return {};
    return kReasons[static_cast<std::size_t>(reason[0] - '1')];
}

std::string RejectionReasonCaption(int reason) {
    if (reason == 8) return "Other (please explain)";
    return reason >= 1 && reason <= 8 ? kReasons[static_cast<std::size_t>(reason - 1)] : "";
}

std::string QuoteNoteText(const QuoteState& quote) {
    if (quote.status != q::kRejected) return quote.note;
    const std::string reason = RejectionReasonText(quote.reason);
    return quote.note.empty() ? reason : reason + " -- " + quote.note;
}

QuoteChange GatherQuoteChange(const QuoteState& current, const QuoteState& chosen, bool isAwarded) {
    QuoteChange change;
    StringList& values = change.quoteValues;
    if (chosen.status != current.status) {
        change.clearAward = current.status == q::kAccepted && isAwarded;
        if (current.status == q::kRejected) values.push_back(Field(q::kRejectReason, ""));
        values.push_back(Field(q::kStatus, chosen.status));
    }
    if (chosen.status == q::kRejected && (chosen.reason != current.reason || current.status != q::kRejected))
        values.push_back(Field(q::kRejectReason, chosen.reason));
    if (chosen.note != current.note) values.push_back(Field(q::kNote, chosen.note));
    return change;
}

}  // namespace dalvero
