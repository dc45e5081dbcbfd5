#include "provider_matching.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "case_text.h"
#include "command_args.h"
#include "geo.h"
#include "json_values.h"
#include "need_status.h"
#include "schema.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

// The discharge view's own defaults, for requests that leave them out.
constexpr double kDefaultRadiusMiles = 50;
constexpr int kDefaultMatchesPerNeed = 5;

struct Options {
    double radiusMiles = kDefaultRadiusMiles;
    int matchesPerNeed = kDefaultMatchesPerNeed;
    bool fewestRequestsFirst = false;
    bool primaryInsuranceOnly = false;
};

struct Candidate {
    std::int64_t seq = 0;
    Record record;
    double miles = 0;
    bool preferred = false;
    bool primaryMatched = false;
    bool secondaryMatched = false;
    int openRequests = 0;
    int score = 0;
};

// What one provider already has for one need.
struct Standing {
    bool open = false;      // a request waits or was accepted
    bool rejected = false;  // it turned the need down
    bool chosen = false;    // its quote is the awarded one
};

struct Listing {
    const Record* need = nullptr;
    Standing standing;
};

Options ReadOptions(const cJsonNode& request) {
    Options options;
    if (const std::string radius = request.GetString("MileRadius"); !radius.empty()) {
        options.radiusMiles = ToFloatDef(radius, -1);
        if (!(options.radiusMiles > 0) || !std::isfinite(options.radiusMiles))
            throw CommandError("The mile radius \"" + radius + "\" must be a number of miles greater than 0.");
    }
    if (const std::string count = request.GetString("MaxNumberMatches"); !count.empty()) {
        options.matchesPerNeed = ToIntDef(count, 0);
        if (options.matchesPerNeed < 1)
            throw CommandError("The number of matches per need \"" + count + "\" must be a whole number of 1 or more.");
    }
    options.fewestRequestsFirst = IsYes(request.GetString("MoreProvidersMode"));
    options.primaryInsuranceOnly = IsYes(request.GetString("MustMatchPrimaryIns"));
    return options;
}

// "[ALL]" (or nothing) asks for every listed need; "[12]" or "12,13" for those.
std::vector<Record> NeedsToMatch(Storage& storage, std::int64_t caseSeq, const cJsonNode& request) {
    std::vector<std::string> items;
    const int index = request.IndexOf("NeedsSeqList");
    if (index >= 0 && request.KindAt(static_cast<std::size_t>(index)) == cJsonNode::kArray) {
        const cJsonNode& list = *request.ChildAt(static_cast<std::size_t>(index));
        for (int i = 0; i < list.Count(); ++i) items.push_back(list.ValueAt(static_cast<std::size_t>(i)));
    } else {
        for (auto& item : ParseCommaText(request.GetString("NeedsSeqList"))) items.push_back(item);
    }
    std::erase_if(items, [](const std::string& item) { return item.empty(); });

    auto needs = ListedNeeds(storage, caseSeq);
    if (items.empty() || (items.size() == 1 && SameText(items[0], "ALL"))) return needs;
    std::vector<Record> chosen;
    for (const auto& item : items) {
        const auto seq = ParseSeq(item);
        const auto it = std::find_if(needs.begin(), needs.end(), [&](const Record& n) { return seq && n.seq == *seq; });
        if (it == needs.end()) throw CommandError("\"" + item + "\" is not a need of this case.");
        if (std::none_of(chosen.begin(), chosen.end(), [&](const Record& n) { return n.seq == it->seq; }))
            chosen.push_back(*it);
    }
    return chosen;
}

bool SameSeq(std::string_view a, std::string_view b) {
    const auto x = ParseSeq(a);
    return x && x == ParseSeq(b);
}

// Preferred providers first; then, when asked, those with the fewest open
// requests; then the higher score and the shorter distance.
bool Better(const Candidate& a, const Candidate& b, bool fewestRequestsFirst) {
    if (a.preferred != b.preferred) return a.preferred;
    if (fewestRequestsFirst && a.openRequests != b.openRequests) return a.openRequests < b.openRequests;
    if (a.score != b.score) return a.score > b.score;
    if (a.miles != b.miles) return a.miles < b.miles;
    return a.seq < b.seq;
}

class Matcher {
public:
    Matcher(Storage& storage, const Record& theCase, GeoPoint origin, Options options)
        : storage_(storage), theCase_(theCase), origin_(origin), options_(options) {
        hospital_ = ParseSeq(Field(theCase, cat::cases::kHospital)).value_or(0);
        for (const Record& link : RecordsWhere(storage, cat::tbl::kPreferredProviders,
                                               cat::preferred_providers::kHospital, std::to_string(hospital_)))
            if (auto seq = ParseSeq(Field(link, cat::preferred_providers::kProvider))) preferred_.insert(*seq);
    }

    // Lists the best providers for one need, and every provider that already
    // holds an open request for it.
    void Match(const Record& need) {
        const std::string category = Field(need, cat::case_needs::kCategory);
        if (category.empty()) return;
        const std::string awarded = Field(need, cat::case_needs::kAwardedQuote);
        std::map<std::int64_t, Standing> standings;
        for (const Record& quote : LiveQuotes(storage_, need.seq)) {
            const auto provider = ParseSeq(Field(quote, cat::quotes::kProvider));
            if (!provider) continue;
            Standing& s = standings[*provider];
            const std::string status = Field(quote, cat::quotes::kStatus);
            if (SameText(status, cat::quotes::kRejected))
                s.rejected = true;
            else if (!SameText(status, cat::quotes::kCancelled))
                s.open = true;
            if (SameSeq(awarded, std::to_string(quote.seq))) s.chosen = true;
        }

        std::vector<const Candidate*> holders, newcomers;
        std::set<std::int64_t> seen;
        for (const Record& link :
             RecordsWhere(storage_, cat::tbl::kProviderCategoryLink, cat::category_link::kCategory, category)) {
            const auto seq = ParseSeq(Field(link, cat::category_link::kProvider));
            if (!seq || !seen.insert(*seq).second) continue;
            const Standing standing = standings[*seq];
            if (standing.rejected && !standing.open) continue;  // it has said no to this need
            const Candidate* candidate = Evaluate(*seq);
            if (!candidate) continue;
            (standing.open ? holders : newcomers).push_back(candidate);
        }
        const auto better = [this](const Candidate* a, const Candidate* b) {
            return Better(*a, *b, options_.fewestRequestsFirst);
        };
        std::sort(newcomers.begin(), newcomers.end(), better);
        if (newcomers.size() > static_cast<std::size_t>(options_.matchesPerNeed))
            newcomers.resize(static_cast<std::size_t>(options_.matchesPerNeed));
        for (const auto* group : {&holders, &newcomers})
            for (const Candidate* c : *group) listings_[c->seq].push_back({&need, standings[c->seq]});
    }

    // Providers best first, each with the needs it was listed for.
    void WriteReply(Storage& storage, cJsonNode& reply) const {
        std::vector<const Candidate*> providers;
        for (const auto& [seq, listing] : listings_) providers.push_back(&*evaluated_.at(seq));
        std::sort(providers.begin(), providers.end(), [this](const Candidate* a, const Candidate* b) {
            return Better(*a, *b, options_.fewestRequestsFirst);
        });
        for (const Candidate* c : providers) {
            const auto& needs = listings_.at(c->seq);
            cJsonNode& p = *reply.GetMember(std::to_string(c->seq));
            p.AddString("Name", Field(c->record, cat::providers::kName));
            AddFlag(p, "NoEmail", ProviderAddress(c->record).empty());
            AddFlag(p, "IsPreferred", c->preferred);
            AddFlag(p, "PrimaryInsuranceMatched", c->primaryMatched);
            AddFlag(p, "SecondaryInsuranceMatched", c->secondaryMatched);
            AddFlag(p, "HasChosenNeed",
                    std::any_of(needs.begin(), needs.end(), [](const Listing& l) { return l.standing.chosen; }));
            AddInteger(p, "Score", c->score);
            AddInteger(p, "Distance", std::lround(c->miles));
            cJsonNode& list = *p.GetMember("NeedList");
            for (const Listing& listing : needs) {
                cJsonNode& n = *list.GetMember(std::to_string(listing.need->seq));
                AddFlag(n, "ProviderHasThis", listing.standing.open);
                AddFlag(n, "Chosen", listing.standing.chosen);
                n.AddString("EquipName", NeedName(storage, *listing.need));
                AddInteger(n, "Distance", std::lround(c->miles));
            }
        }
    }

    bool Empty() const { return listings_.empty(); }

private:
    // The provider as a candidate of this case, or nullptr when it is out of
    // range, has no known position or fails the insurance rule.
    const Candidate* Evaluate(std::int64_t seq) {
        auto [it, fresh] = evaluated_.try_emplace(seq);
        if (!fresh) return it->second ? &*it->second : nullptr;
        if (seq == hospital_) return nullptr;
        auto record = storage_.Read(cat::tbl::kProviderEntities, seq);
        if (!record) return nullptr;
        const auto position = ProviderPosition(storage_, *record);
        if (!position) return nullptr;
        const double miles = MilesBetween(origin_, *position);
        if (miles > options_.radiusMiles) return nullptr;

        std::vector<std::string> accepted;
        for (const Record& link : RecordsWhere(storage_, schema::kProviderInsuranceLink, schema::provider_insurance::kProvider,
                                               std::to_string(seq)))
            accepted.push_back(Field(link, schema::provider_insurance::kInsurance));
        // Nothing to match when the case names no such insurance.
        const auto covers = [&](int caseField) {
            const std::string insurance = Field(theCase_, caseField);
            return insurance.empty() || std::any_of(accepted.begin(), accepted.end(),
                                                    [&](const std::string& a) { return SameSeq(a, insurance); });
        };
        Candidate c;
        c.seq = seq;
        c.record = std::move(*record);
        c.miles = miles;
        c.preferred = preferred_.count(seq) > 0;
        c.primaryMatched = covers(cat::cases::kPrimaryInsurance);
        c.secondaryMatched = covers(cat::cases::kSecondaryInsurance);
        if (options_.primaryInsuranceOnly && !c.primaryMatched) return nullptr;
        if (options_.fewestRequestsFirst)
            c.openRequests = static_cast<int>(storage_.Count(
                cat::tbl::kCaseNeedsQuote, {{cat::quotes::kProvider, CompareOp::Equal, std::to_string(seq), false},
                                            {cat::quotes::kStatus, CompareOp::Equal, cat::quotes::kWaiting, false},
                                            {cat::quotes::kClosingMark, CompareOp::NotEqual, cat::quotes::kClosedMark,
                                             false}}));
        c.score = (c.preferred ? 40 : 0) + (c.primaryMatched ? 30 : 0) + (c.secondaryMatched ? 10 : 0) +
                  static_cast<int>(std::lround(20 * (1 - miles / options_.radiusMiles)));
        it->second = std::move(c);
        return &*it->second;
    }

    Storage& storage_;
    const Record& theCase_;
    GeoPoint origin_;
    Options options_;
    std::int64_t hospital_ = 0;
    std::set<std::int64_t> preferred_;
    std::map<std::int64_t, std::optional<Candidate>> evaluated_;
    std::map<std::int64_t, std::vector<Listing>> listings_;
};

std::string Miles(double miles) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", miles);
    return text;
}

}  // namespace

void ProcessNeedsMatching(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    Storage& storage = context.storage;
    const std::int64_t caseSeq = RequiredSeq(request, "CaseSeq", "case");
    const auto theCase = storage.Read(cat::tbl::kCases, caseSeq);
    if (!theCase) throw CommandError("Case " + std::to_string(caseSeq) + " was not found.");
    const Options options = ReadOptions(request);
    const auto needs = NeedsToMatch(storage, caseSeq, request);
    if (needs.empty()) {
        reply.AddString("~", "This case has no needs to find providers for.  Add a need first.");
        return;
    }

    auto origin = ZipCentroid(storage, Field(*theCase, cat::cases::kZip));
    if (!origin)
        if (auto hospital = ReadLinked(storage, cat::tbl::kProviderEntities, Field(*theCase, cat::cases::kHospital)))
            origin = ProviderPosition(storage, *hospital);
    if (!origin) {
        reply.AddString("~",
                "Neither the patient's zip code nor the hospital's location is known, so no distances can be "
                "measured.  Enter the patient's zip code and try again.");
        return;
    }

    Matcher matcher(storage, *theCase, *origin, options);
    for (const Record& need : needs) matcher.Match(need);
    if (matcher.Empty()) {
        reply.AddString("~",
                "No providers for these needs were found within " + Miles(options.radiusMiles) + " miles" +
                    (options.primaryInsuranceOnly ? " that accept the patient's primary insurance" : "") +
                    ".  Try a larger radius.");
        return;
    }
    matcher.WriteReply(storage, reply);
}

}  // namespace dalvero::server::functions
