#include "function_commands.h"

#include <gtest/gtest.h>

#include "scripted_server.h"

namespace dalvero {
namespace {

using test::ScriptedServer;

TEST(FunctionCommand, SentAsBareTextAndEmptyReplyReadsAsNoError) {
    ScriptedServer server({"{}"}, false);
    cJsonNode request;
    request.AddMember("ServerCommand", "processneedsmatching");
    request.AddMember("CaseSeq", "12");
    request.AddMember("NeedsSeqList", "[ALL]");
    EXPECT_TRUE(RunFunctionCommand(server.db, request));

    const auto sent = server.Requests().at(0);
    // No frame header: the text itself, read up to its zero byte.
    EXPECT_FALSE(sent.framed);
    EXPECT_EQ(sent.payload, "{ServerCommand:processneedsmatching,CaseSeq:12,NeedsSeqList:[ALL]}");

    EXPECT_EQ(request.GetString(fncmd::kError), "");
    cJsonNode* statuses = request.GetMember(fncmd::kStatusList);
    ASSERT_NE(statuses, nullptr);
    EXPECT_EQ(statuses->Count(), 0);
}

TEST(FunctionCommand, ReplyReplacesRequestAndErrorFails) {
    ScriptedServer server({"{StatusList:{12:'1 Overdue',13:3}}", "{Error:'No such case'}"}, false);
    cJsonNode request;
    BuildGetCaseNeedStatus(request, {"12", "13"});
    ASSERT_TRUE(RunFunctionCommand(server.db, request));
    EXPECT_EQ(server.LastRequestText(), "{ServerCommand:getcaseneedstatus,SeqList:\"12,13\"}");
    EXPECT_FALSE(request.HasMember("ServerCommand"));
    cJsonNode* statuses = request.GetMember(fncmd::kStatusList);
    ASSERT_NE(statuses, nullptr);
    ASSERT_EQ(statuses->Count(), 2);
    EXPECT_EQ(statuses->NameAt(0), "12");
    EXPECT_EQ(statuses->ValueAt(0), "1 Overdue");
    EXPECT_EQ(statuses->GetString("13"), "3");

    BuildSendDoctorNotificationEmail(request, "12");
    EXPECT_FALSE(RunFunctionCommand(server.db, request));
    EXPECT_EQ(request.GetString(fncmd::kError), "No such case");
}

TEST(FunctionCommand, DroppedReplyReadsAsFailedNotAsEarlierAnswer) {
    ScriptedServer server({"{StatusList:{12:3}}", test::kDropConnection}, false);
    cJsonNode first;
    BuildGetCaseStatus(first, {"12"});
    ASSERT_TRUE(RunFunctionCommand(server.db, first));

    cJsonNode second;
    BuildGetCaseStatus(second, {"12"});
    EXPECT_FALSE(RunFunctionCommand(server.db, second));
    EXPECT_EQ(second.GetString(fncmd::kError), kNoFunctionReply);
    EXPECT_FALSE(second.HasMember(fncmd::kStatusList));
}

TEST(FunctionCommand, BuildersWriteEachCommandsMembersInOrder) {
    cJsonNode request("{stale:1}");
    BuildProcessNeedsMatching(request, {.caseSeq = "12",
                                        .needSeq = "7",
                                        .mileRadius = "50",
                                        .maxNumberMatches = "10",
                                        .moreProvidersMode = true,
                                        .mustMatchPrimaryIns = true});
    EXPECT_EQ(request.ToText(),
              "{ServerCommand:processneedsmatching,CaseSeq:12,NeedsSeqList:[7],MileRadius:50,MaxNumberMatches:10,"
              "MoreProvidersMode:Y,MustMatchPrimaryIns:Y}");

    BuildSendInitialNeedsEmails(request, {{"40", {{"7", "Walker rental"}, {"8", "Oxygen"}}}, {"41", {}}});
    EXPECT_EQ(request.ToText(), "{40:{7:\"Walker rental\",8:Oxygen},ServerCommand:sendinitialneedsemails}");

    BuildGetCaseManagerStatus(request, {"3", "4"}, true);
    EXPECT_EQ(request.ToText(), "{ServerCommand:getcasemanagerstatus,SeqList:\"3,4\",GroupByDay:Y}");
    BuildGetCaseManagerStatus(request, {"3"}, false);
    EXPECT_EQ(request.ToText(), "{ServerCommand:getcasemanagerstatus,SeqList:3}");

    BuildUpdateProviderLatitudeLongitude(request, "40");
    EXPECT_EQ(request.ToText(), "{ServerCommand:updateproviderlatitudelongitude,ProviderSeq:40}");
    BuildCodeKeywordLookup(request, fncmd::kGetIcd9TreatmentsForKeywords, "heart valve");
    EXPECT_EQ(request.ToText(), "{ServerCommand:geticd9treatmentsforkeywords,KeyWordPhrase:\"heart valve\"}");
}

}  // namespace
}  // namespace dalvero
