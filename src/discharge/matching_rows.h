#pragma once
// The rows of the matching-providers window: each provider of a
// "processneedsmatching" reply followed by the needs it can serve, each row's
// data one comma text of name=value items (provider names hold commas, "&"
// and ":", which the comma-text codec carries), and the ticks kept in step.

#include <deque>
#include <string>
#include <vector>

#include "function_commands.h"
#include "string_list.h"

namespace dalvero {

class cJsonNode;

struct MatchRow {
    StringList data;  // "IsProviderLine=Y", "Seq=...", ...
    bool ticked = false;

    bool IsProvider() const { return data.Value("IsProviderLine") == "Y"; }
    std::string Value(const char* name) const { return data.Value(name); }
    // The row's data as the list keeps it: one comma text.
    std::string Text() const { return data.CommaText(); }
};
// In the order of the reply, as the list keeps them.
using MatchRows = std::deque<MatchRow>;

// Every member of a successful reply is a provider, in the reply's order.
MatchRows MatchRowsFromReply(cJsonNode& reply);

// Flips row's tick: a provider's needs take its new tick; a need's provider
// is ticked while any of its needs is.
void FlipTick(MatchRows& rows, int row);
void TickAll(MatchRows& rows, bool ticked);

// The ticked needs of each provider, walking the rows in order; a provider
// with no ticked need is left out.
std::vector<ProviderNeeds> ChosenProviderNeeds(const MatchRows& rows);

}  // namespace dalvero
