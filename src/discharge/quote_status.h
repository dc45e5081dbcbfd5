#pragma once
// A quote's status, rejection reason and note: their words in the quote
// list, and what the status dialog writes when the planner changes them.

#include <string>
#include <string_view>

#include "string_list.h"

namespace dalvero {

struct QuoteState {
    std::string status;  // "W", "A", "R" or "X"
    std::string reason;  // "1" to "8" while rejected
    std::string note;
};

// "Waiting" for any code other than "A", "R" and "X".
std::string QuoteStatusWord(std::string_view status);
// The list's words for a rejection reason ("8" is "Other"); empty for none.
std::string RejectionReasonText(std::string_view reason);
// The status dialog's caption of a reason ("8" asks for an explanation).
std::string RejectionReasonCaption(int reason);
// The note column: a rejected quote's reason text, " -- " and the note when
// there is one; otherwise the note.
std::string QuoteNoteText(const QuoteState& quote);

// What OK writes for a move from `current` to `chosen`.
struct QuoteChange {
    // The need's award must be taken away: the awarded quote stops being accepted.
    bool clearAward = false;
    // Assignments for the quote; empty when nothing changed.
    StringList quoteValues;
};
// isAwarded: the quote is the need's awarded one. The reason is written only
// when it changed, and emptied when the quote stops being rejected.
QuoteChange GatherQuoteChange(const QuoteState& current, const QuoteState& chosen, bool isAwarded);

}  // namespace dalvero
