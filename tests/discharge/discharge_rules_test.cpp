// The discharge screens' own rules: the required time, status colours and
// texts, what a quote status change writes, and the matching rows' ticks.
#include <gtest/gtest.h>

#include "case_needs.h"
#include "json_node.h"
#include "matching_rows.h"
#include "need_time.h"
#include "provider_categories.h"
#include "quote_status.h"

namespace dalvero {
namespace {

using Texts = std::vector<std::pair<const char*, const char*>>;

TEST(NeedTime, TypedFormsBecomeHoursAndMinutesAndOutOfRangeIsRefused) {
    for (const auto& [typed, stored] : Texts{{"", ""}, {"9:5", "0905"}, {"930", "0930"}, {"9", "0900"},
                                             {"14.30", "1430"}, {"143045", "1430"}, {"23:59", "2359"}, {":15", "0015"}})
        EXPECT_EQ(NormalizeNeedTime(typed), stored) << typed;
    for (const char* refused : {"25:99", "24:00", "12:60", "2599"}) EXPECT_FALSE(NormalizeNeedTime(refused)) << refused;
}

TEST(NeedStatus, FirstCharacterColoursAndWholeCodeNames) {
    for (const auto& [status, colour] : std::vector<std::pair<const char*, NeedColour>>{
             {"1", NeedColour::kRed}, {"1b", NeedColour::kRed}, {"2x", NeedColour::kYellow},
             {"3", NeedColour::kGreen}, {"", NeedColour::kNone}, {"9", NeedColour::kNone}})
        EXPECT_EQ(NeedStatusColour(status), colour) << status;
    for (const auto& [status, text] : Texts{{"1", ""}, {"1a", "No requests sent"}, {"1B", "All providers have rejected"},
                                            {"1C", "Needs a provider to be chosen"}, {"2Q", "Waiting for response"},
                                            {"3", ""}})
        EXPECT_EQ(NeedStatusText(status), text) << status;
    for (const auto& [stored, shown] : Texts{{"20240611", "06/11/2024"}, {"202406110930", "06/11/2024 09:30"},
                                             {"202406110", "06/11/2024"}, {"2024x611", "2024x611"}})
        EXPECT_EQ(RequiredToDisplay(stored), shown) << stored;
}

TEST(QuoteStatusChange, WritesOnlyWhatChanged) {
    const QuoteState waiting{"W", "", "call back"};
    EXPECT_TRUE(GatherQuoteChange(waiting, waiting, false).quoteValues.empty());
    EXPECT_EQ(GatherQuoteChange(waiting, {"W", "", ""}, false).quoteValues, (StringList{"f1001="}));

    const QuoteState rejected{"R", "1", ""};
    EXPECT_EQ(GatherQuoteChange(rejected, {"R", "8", "too far"}, false).quoteValues,
              (StringList{"f15=8", "f1001=too far"}));
    EXPECT_TRUE(GatherQuoteChange(rejected, rejected, false).quoteValues.empty());
    EXPECT_EQ(GatherQuoteChange(rejected, {"W", "", ""}, false).quoteValues, (StringList{"f15=", "f14=W"}));
    EXPECT_EQ(GatherQuoteChange(waiting, {"R", "3", "call back"}, false).quoteValues,
              (StringList{"f14=R", "f15=3"}));

    const QuoteChange unaward = GatherQuoteChange({"A", "", ""}, {"X", "", ""}, true);
    EXPECT_TRUE(unaward.clearAward);
    EXPECT_EQ(unaward.quoteValues, (StringList{"f14=X"}));
    EXPECT_FALSE(GatherQuoteChange({"A", "", ""}, {"X", "", ""}, false).clearAward);
    EXPECT_FALSE(GatherQuoteChange({"A", "", "x"}, {"A", "", ""}, true).clearAward);
}

TEST(QuoteStatusChange, ListWords) {
    EXPECT_EQ(QuoteStatusWord("A"), "Accepted");
    EXPECT_EQ(QuoteStatusWord("?"), "Waiting");
    EXPECT_EQ(QuoteNoteText({"R", "7", ""}), "No gender appropiate beds");
    EXPECT_EQ(QuoteNoteText({"R", "8", "lift"}), "Other -- lift");
    EXPECT_EQ(QuoteNoteText({"A", "", "ok"}), "ok");
    EXPECT_EQ(RejectionReasonCaption(8), "Other (please explain)");
}

TEST(MatchingRows, ReplyBecomesProviderAndNeedRowsWithTicksInStep) {
    cJsonNode reply(R"({"41":{Name:"Oak, Elm & Co: Care",NoEmail:0,IsPreferred:1,PrimaryInsuranceMatched:1,)"
                    R"(SecondaryInsuranceMatched:0,HasChosenNeed:0,Score:77,Distance:12,)"
                    R"(NeedList:{"7":{ProviderHasThis:0,Chosen:0,EquipName:"Walkers",Distance:12},)"
                    R"("8":{ProviderHasThis:1,Chosen:1,EquipName:"Rehab",Distance:12}}},)"
                    R"("42":{Name:"Lone",NoEmail:1,NeedList:{}}})");
    MatchRows rows = MatchRowsFromReply(reply);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Value("Name"), "Oak, Elm & Co: Care");
    StringList reread;
    reread.SetCommaText(rows[0].Text());
    EXPECT_EQ(reread.Value("Name"), "Oak, Elm & Co: Care");
    EXPECT_EQ(rows[0].Value("IsPreferred"), "Y");
    EXPECT_EQ(rows[0].Value("SecondaryInsMatched"), "N");
    EXPECT_EQ(rows[0].Value("NumberNeeds"), "2");
    EXPECT_EQ(rows[2].Value("DoesQuoteExist"), "Y");
    EXPECT_EQ(rows[2].Value("IsChosenQuote"), "Y");
    EXPECT_EQ(rows[2].Value("ProviderListBoxPosition"), "0");
    EXPECT_EQ(rows[3].Value("NumberNeeds"), "0");
    EXPECT_EQ(rows[3].Value("NoEmail"), "Y");

    FlipTick(rows, 1);  // one need ticks its provider
    EXPECT_TRUE(rows[0].ticked);
    FlipTick(rows, 1);
    EXPECT_FALSE(rows[0].ticked);
    FlipTick(rows, 0);  // the provider ticks all its needs, also those quoted already
    EXPECT_TRUE(rows[1].ticked && rows[2].ticked);
    EXPECT_FALSE(rows[3].ticked);
    const auto chosen = ChosenProviderNeeds(rows);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].providerSeq, "41");
    EXPECT_EQ(chosen[0].needs, (std::vector<std::pair<std::string, std::string>>{{"7", "Walkers"}, {"8", "Rehab"}}));
    TickAll(rows, false);
    EXPECT_TRUE(ChosenProviderNeeds(rows).empty());
}

TEST(ProviderCategoryTable, PickersShareOneCatalogue) {
    int needPicker = 0;
    int listedTwice = 0;
    for (const ProviderCategory& c : kProviderCategories) {
        needPicker += c.needPicker ? 1 : 0;
        EXPECT_EQ(CategorySeqOfControl(c.control), c.seq) << c.control;
        listedTwice += c.control.find('_') != std::string_view::npos ? 1 : 0;
    }
    EXPECT_EQ(needPicker, 80);
    EXPECT_EQ(listedTwice, 1);
    EXPECT_EQ(CategorySeqOfControl("S139_1"), 139);
    EXPECT_EQ(CategorySeqOfControl("X139"), 0);
    EXPECT_EQ(CategorySeqOfControl("S"), 0);
}

}  // namespace
}  // namespace dalvero
