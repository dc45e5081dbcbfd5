#include "matching_rows.h"

#include "json_node.h"

namespace dalvero {
namespace {
std::string Flag(const cJsonNode& node, const char* name) { return ToIntDef(node.GetString(name), 0) ? "Y" : "N"; }
std::string Item(const char* name, const std::string& value) { return std::string(name) + "=" + value; }
}  // namespace

MatchRows MatchRowsFromReply(cJsonNode& reply) {
    MatchRows rows;
    for (int p = 0; p < reply.Count(); ++p) {
        cJsonNode* provider = reply.ChildAt(static_cast<std::size_t>(p));
        if (!provider) continue;
        cJsonNode* needs = provider->GetMember("NeedList");
        const int needCount = needs ? needs->Count() : 0;
        const int providerRow = static_cast<int>(rows.size());
        MatchRow row;
        row.data = StringList{Item("IsProviderLine", "Y"),
                              Item("Seq", reply.NameAt(static_cast<std::size_t>(p))),
                              Item("Name", provider->GetString("Name")),
                              Item("NoEmail", Flag(*provider, "NoEmail")),
                              Item("Score", std::to_string(ToIntDef(provider->GetString("Score"), 0))),
                              Item("Distance", std::to_string(ToIntDef(provider->GetString("Distance"), 0))),
                              Item("IsPreferred", Flag(*provider, "IsPreferred")),
                              Item("PrimaryInsMatched", Flag(*provider, "PrimaryInsuranceMatched")),
                              Item("SecondaryInsMatched", Flag(*provider, "SecondaryInsuranceMatched")),
                              Item("HasChosenNeed", Flag(*provider, "HasChosenNeed")),
                              Item("NumberNeeds", std::to_string(needCount))};
        rows.push_back(std::move(row));
        for (int n = 0; n < needCount; ++n) {
            cJsonNode* need = needs->ChildAt(static_cast<std::size_t>(n));
            if (!need) continue;
            MatchRow needRow;
            needRow.data = StringList{Item("IsProviderLine", "N"),
                                      Item("Seq", needs->NameAt(static_cast<std::size_t>(n))),
                                      Item("Name", need->GetString("EquipName")),
                                      Item("Distance", need->GetString("Distance")),
                                      Item("DoesQuoteExist", Flag(*need, "ProviderHasThis")),
                                      Item("IsChosenQuote", Flag(*need, "Chosen")),
                                      Item("ProviderListBoxPosition", std::to_string(providerRow))};
            rows.push_back(std::move(needRow));
        }
    }
    return rows;
}

void FlipTick(MatchRows& rows, int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    MatchRow& flipped = rows[static_cast<std::size_t>(row)];
    flipped.ticked = !flipped.ticked;
    if (flipped.IsProvider()) {
        const int needs = ToIntDef(flipped.Value("NumberNeeds"), 0);
        for (int n = row + 1; n <= row + needs && n < static_cast<int>(rows.size()); ++n)
            rows[static_cast<std::size_t>(n)].ticked = flipped.ticked;
        return;
    }
    const int providerRow = ToIntDef(flipped.Value("ProviderListBoxPosition"), -1);
    if (providerRow < 0 || providerRow >= static_cast<int>(rows.size())) return;
    MatchRow& provider = rows[static_cast<std::size_t>(providerRow)];
    const int needs = ToIntDef(provider.Value("NumberNeeds"), 0);
    bool any = false;
    for (int n = providerRow + 1; n <= providerRow + needs && n < static_cast<int>(rows.size()); ++n)
        any = any || rows[static_cast<std::size_t>(n)].ticked;
    provider.ticked = any;
}

void TickAll(MatchRows& rows, bool ticked) {
    for (MatchRow& row : rows) row.ticked = ticked;
}

std::vector<ProviderNeeds> ChosenProviderNeeds(const MatchRows& rows) {
    std::vector<ProviderNeeds> chosen;
    const MatchRow* provider = nullptr;
    for (const MatchRow& row : rows) {
        if (row.IsProvider()) {
            provider = &row;
            continue;
        }
        if (!row.ticked || !provider) continue;
        if (chosen.empty() || chosen.back().providerSeq != provider->Value("Seq"))
            chosen.push_back({provider->Value("Seq"), {}});
        chosen.back().needs.emplace_back(row.Value("Seq"), row.Value("Name"));
    }
    return chosen;
}

}  // namespace dalvero
