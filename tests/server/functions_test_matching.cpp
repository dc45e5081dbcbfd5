// Provider matching: range, insurance, ranking and what the window reads.
#include "functions_test_support.h"

namespace functions_test {
namespace {

class MatchingTest : public FunctionsTest {
protected:
    MatchingTest() {
        AddHospitalAndCase();
        // North of the case's ZIP 10000 (40.0, -75.0): one tenth of a degree
        // of latitude is 6.9 miles.
        AddZip("10001", 40.1, -75.0);  //  6.9 miles
        AddZip("10004", 40.2, -75.0);  // 13.8 miles
        AddZip("10002", 40.5, -75.0);  // 34.5 miles
        AddZip("10003", 41.0, -75.0);  // 69.1 miles
        need = AddNeed(theCase, nursing, {{cat::case_needs::kRequired, "202503141400"}});
    }

    std::int64_t Nursing(const std::string& name, const std::string& zip, FieldValues more = {}) {
        const std::int64_t p = AddProvider(name, zip, std::move(more));
        Serves(p, nursing);
        return p;
    }

    std::unique_ptr<cJsonNode> Match(std::vector<std::pair<std::string, std::string>> options = {}) {
        std::vector<std::pair<std::string, std::string>> members{
            {"ServerCommand", "processneedsmatching"}, {"CaseSeq", S(theCase)}, {"NeedsSeqList", "[ALL]"}};
        members.insert(members.end(), options.begin(), options.end());
        return Call(members);
    }

    std::int64_t need = 0;
};

TEST_F(MatchingTest, ListsProvidersInRangeWithWhatTheWindowReads) {
    const std::int64_t nearby = Nursing("Near Care", "10001", {{cat::providers::kCompanyEmail, "near@care.example"}});
    Accepts(nearby, medicare);
    Accepts(nearby, mediCal);
    const std::int64_t middle = Nursing("Mid Care, Inc.", "10002");
    Accepts(middle, medicare);
    const std::int64_t distant = Nursing("Far Care", "10003");
    AddProvider("Walker Shop", "10001");  // serves nothing asked for

    auto reply = Match({{"MileRadius", "50"}, {"MaxNumberMatches", "5"}});
    ASSERT_EQ(reply->GetString("Error"), "");
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(nearby), S(middle)}));

    cJsonNode& first = *reply->GetMember(S(nearby));
    EXPECT_EQ(first.GetString("Name"), "Near Care");
    EXPECT_EQ(first.GetString("NoEmail"), "0");
    EXPECT_EQ(first.GetString("IsPreferred"), "0");
    EXPECT_EQ(first.GetString("PrimaryInsuranceMatched"), "1");
    EXPECT_EQ(first.GetString("SecondaryInsuranceMatched"), "1");
    EXPECT_EQ(first.GetString("HasChosenNeed"), "0");
    EXPECT_EQ(first.GetString("Distance"), "7");
    EXPECT_EQ(first.GetString("Score"), "57");  // 30 + 10 + 20 x (1 - 6.9 / 50)
    cJsonNode& needs = *first.GetMember("NeedList");
    ASSERT_EQ(Names(needs), std::vector<std::string>{S(need)});
    cJsonNode& entry = *needs.GetMember(S(need));
    EXPECT_EQ(entry.GetString("EquipName"), "Skilled Nursing Facility");
    EXPECT_EQ(entry.GetString("ProviderHasThis"), "0");
    EXPECT_EQ(entry.GetString("Chosen"), "0");
    EXPECT_EQ(entry.GetString("Distance"), "7");

    cJsonNode& second = *reply->GetMember(S(middle));
    EXPECT_EQ(second.GetString("Name"), "Mid Care, Inc.");
    EXPECT_EQ(second.GetString("NoEmail"), "1");
    EXPECT_EQ(second.GetString("SecondaryInsuranceMatched"), "0");
    EXPECT_EQ(second.GetString("Distance"), "35");

    EXPECT_EQ(Names(*Match({{"MileRadius", "100"}})), (std::vector<std::string>{S(nearby), S(middle), S(distant)}));
    EXPECT_EQ(Names(*Match({{"MileRadius", "5"}})).front(), "~");
    EXPECT_EQ(Names(*Match({{"MileRadius", ""}})).size(), 2u) << "an empty radius is the default 50 miles";
}

TEST_F(MatchingTest, PrimaryInsuranceRuleFiltersOnlyWhenAsked) {
    const std::int64_t secondaryOnly = Nursing("Secondary Only", "10001");
    Accepts(secondaryOnly, mediCal);
    const std::int64_t both = Nursing("Both", "10002");
    Accepts(both, medicare);
    Accepts(both, mediCal);

    auto reply = Match();
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(both), S(secondaryOnly)})) << "insurance outweighs distance";
    EXPECT_EQ(reply->GetMember(S(secondaryOnly))->GetString("PrimaryInsuranceMatched"), "0");
    EXPECT_EQ(reply->GetMember(S(secondaryOnly))->GetString("SecondaryInsuranceMatched"), "1");

    EXPECT_EQ(Names(*Match({{"MustMatchPrimaryIns", "Y"}})), std::vector<std::string>{S(both)});

    // A case without insurance has nothing to match: everyone qualifies.
    storage->Update(cat::tbl::kCases, theCase,
                    {{cat::cases::kPrimaryInsurance, ""}, {cat::cases::kSecondaryInsurance, ""}});
    reply = Match({{"MustMatchPrimaryIns", "Y"}});
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(secondaryOnly), S(both)}));
    EXPECT_EQ(reply->GetMember(S(both))->GetString("PrimaryInsuranceMatched"), "1");
}

TEST_F(MatchingTest, PreferredProvidersComeFirstAndEachNeedGetsAtMostMaxMatches) {
    std::vector<std::int64_t> close;
    for (const char* name : {"One", "Two", "Three"}) {
        close.push_back(Nursing(name, "10001"));
        Accepts(close.back(), medicare);
    }
    const std::int64_t preferred = Nursing("Preferred Far", "10002");
    Add(cat::tbl::kPreferredProviders, {{cat::preferred_providers::kHospital, S(hospital)},
                                        {cat::preferred_providers::kProvider, S(preferred)}});

    auto reply = Match({{"MaxNumberMatches", "2"}});
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(preferred), S(close[0])}));
    EXPECT_EQ(reply->GetMember(S(preferred))->GetString("IsPreferred"), "1");
    EXPECT_EQ(Names(*Match({{"MaxNumberMatches", "10"}})).size(), 4u);
}

TEST_F(MatchingTest, MoreProvidersModePrefersProvidersWithFewestOpenRequests) {
    const std::int64_t busy = Nursing("Busy", "10001");
    const std::int64_t quiet = Nursing("Quiet", "10004");
    const std::int64_t otherCase = Add(cat::tbl::kCases, {{cat::cases::kHospital, S(hospital)}});
    const std::int64_t otherNeed = AddNeed(otherCase, nursing);
    AddQuote(otherNeed, busy, "W");
    AddQuote(otherNeed, busy, "W");
    AddQuote(otherNeed, quiet, "W", "C");  // closed requests are not open
    AddQuote(otherNeed, quiet, "A");

    EXPECT_EQ(Names(*Match()), (std::vector<std::string>{S(busy), S(quiet)}));
    EXPECT_EQ(Names(*Match({{"MoreProvidersMode", "Y"}})), (std::vector<std::string>{S(quiet), S(busy)}));
}

TEST_F(MatchingTest, ExistingRequestsAreShownAndRejectionsLeftOut) {
    const std::int64_t asked = Nursing("Asked", "10002");
    const std::int64_t chosen = Nursing("Chosen", "10002");
    const std::int64_t refused = Nursing("Refused", "10001");
    const std::int64_t fresh = Nursing("Fresh", "10001");
    AddQuote(need, asked, "W");
    const std::int64_t award = AddQuote(need, chosen, "A");
    AddQuote(need, refused, "R");
    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kAwardedQuote, S(award)}});

    auto reply = Match({{"MaxNumberMatches", "1"}});
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(fresh), S(asked), S(chosen)}))
        << "providers already asked are listed beyond the maximum; the one that refused is not";
    cJsonNode& a = *reply->GetMember(S(asked))->GetMember("NeedList")->GetMember(S(need));
    EXPECT_EQ(a.GetString("ProviderHasThis"), "1");
    EXPECT_EQ(a.GetString("Chosen"), "0");
    cJsonNode& c = *reply->GetMember(S(chosen));
    EXPECT_EQ(c.GetString("HasChosenNeed"), "1");
    EXPECT_EQ(c.GetMember("NeedList")->GetMember(S(need))->GetString("Chosen"), "1");
    EXPECT_EQ(reply->GetMember(S(fresh))->GetString("HasChosenNeed"), "0");
}

TEST_F(MatchingTest, NeedsListNarrowsTheMatchAndProvidersCollectTheirNeeds) {
    const std::int64_t walker =
        AddNeed(theCase, walkers, {{cat::case_needs::kCategoryDetail, S(Add(cat::tbl::kProviderCategoryDetails,
                                                                              {{11, "Folding"}}))}});
    const std::int64_t both = Nursing("Both", "10001");
    Serves(both, walkers);
    const std::int64_t walkerShop = AddProvider("Walker Shop", "10004");
    Serves(walkerShop, walkers);

    auto reply = Match();
    ASSERT_EQ(Names(*reply), (std::vector<std::string>{S(both), S(walkerShop)}));
    cJsonNode& needs = *reply->GetMember(S(both))->GetMember("NeedList");
    EXPECT_EQ(Names(needs), (std::vector<std::string>{S(need), S(walker)}));
    EXPECT_EQ(needs.GetMember(S(walker))->GetString("EquipName"), "Walkers - Folding");

    reply = Match({{"NeedsSeqList", "[" + S(walker) + "]"}});
    EXPECT_EQ(Names(*reply->GetMember(S(both))->GetMember("NeedList")), std::vector<std::string>{S(walker)});

    const std::int64_t foreignNeed = AddNeed(Add(cat::tbl::kCases, {}), nursing);
    EXPECT_NE(Match({{"NeedsSeqList", "[" + S(foreignNeed) + "]"}})->GetString("Error"), "");
    EXPECT_NE(Match({{"NeedsSeqList", "[x]"}})->GetString("Error"), "");
}

TEST_F(MatchingTest, PositionsComeFromStoredCoordinatesElseTheZipCentroid) {
    // Stored coordinates 6.9 miles away win over a ZIP code 69 miles away.
    const std::int64_t placed = Nursing("Placed", "10003",
                                        {{schema::provider_position::kLatitude, "40.1"},
                                         {schema::provider_position::kLongitude, "-75.0"}});
    Nursing("Nowhere", "99999");  // no position at all: never matched

    EXPECT_EQ(Names(*Match()), std::vector<std::string>{S(placed)});

    // No patient ZIP centroid: distances are measured from the hospital.
    storage->Update(cat::tbl::kCases, theCase, {{cat::cases::kZip, "99999"}});
    EXPECT_EQ(Names(*Match()), std::vector<std::string>{S(placed)});

    storage->Update(cat::tbl::kProviderEntities, hospital, {{cat::providers::kZip, "99998"}});
    EXPECT_NE(Match()->GetString("~"), "");
}

TEST_F(MatchingTest, NoticesAndErrors) {
    Nursing("Far Care", "10003");
    auto reply = Match();
    EXPECT_NE(reply->GetString("~"), "");
    EXPECT_EQ(reply->Count(), 1) << "a notice carries no providers";

    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kDeleted, "Y"}});
    reply = Match();
    EXPECT_NE(reply->GetString("~"), "");
    EXPECT_EQ(reply->GetString("Error"), "");

    const std::string foreign = S(Add(cat::tbl::kCases, {{cat::cases::kHospital, S(AddProvider("Rival", "10000"))}}));
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"MileRadius", "abc"}, {"MileRadius", "-5"}, {"MileRadius", "0"}, {"MaxNumberMatches", "0"},
             {"MaxNumberMatches", "many"}, {"CaseSeq", "99999"}, {"CaseSeq", "x1"}, {"CaseSeq", foreign}})
        EXPECT_NE(Match({{name, value}})->GetString("Error"), "") << name << "=" << value;
    EXPECT_NE(Call({{"ServerCommand", "processneedsmatching"}})->GetString("Error"), "");
}

}  // namespace
}  // namespace functions_test
