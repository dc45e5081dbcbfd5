// Dispatch, need and case statuses, and the case workers' overview.
#include "functions_test_support.h"

namespace functions_test {
namespace {

class StatusTest : public FunctionsTest {
protected:
    StatusTest() { AddHospitalAndCase(); }

    std::string NeedStatus(std::int64_t need) {
        auto reply = Call({{"ServerCommand", "getcaseneedstatus"}, {"SeqList", S(need)}});
        return reply->GetMember("StatusList")->GetString(S(need));
    }
};

TEST_F(FunctionsTest, MalformedAndUnknownRequestsGetAnErrorReply) {
    for (const char* text : {"", "garbage", "[1,2,3]", "{}", "{ServerCommand:}", "{ServerCommand:nosuchcommand}",
                             "{{{{", "{ServerCommand:getcasestatus", "\"ServerCommand\""}) {
        auto reply = Parse(Handle(text));
        EXPECT_NE(reply->GetString("Error"), "") << text;
    }
    // Deep nesting and a request of very many members are refused before parsing.
    const std::string deep = "{ServerCommand:getcasestatus,SeqList:" + std::string(5000, '[') + "}";
    EXPECT_NE(Parse(Handle(deep))->GetString("Error").find("nested"), std::string::npos);
    std::string many = "{ServerCommand:getcasestatus";
    for (int i = 0; i < 128'000; ++i) many += ",m" + std::to_string(i) + ":1";
    EXPECT_NE(Parse(Handle(many + "}"))->GetString("Error").find("too many"), std::string::npos);
}

TEST_F(StatusTest, StatusListsHoldOnlyListedRecordsAndAnEmptyResultIsNotAnEmptyReply) {
    auto reply = Parse(Handle("{ServerCommand:GetCaseStatus,SeqList:" + S(theCase) + "}"));
    EXPECT_EQ(reply->GetMember("StatusList")->GetString(S(theCase)), "1A") << "command names ignore letter case";
    EXPECT_EQ(Handle("{ServerCommand:getcaseneedstatus,SeqList:999}"), "{StatusList:}");
    auto none = Call({{"ServerCommand", "getcaseneedstatus"}, {"SeqList", ""}});
    EXPECT_EQ(none->GetString("Error"), "");
    EXPECT_EQ(none->GetMember("StatusList")->Count(), 0);
    EXPECT_EQ(Handle(std::string("{ServerCommand:getcasestatus,SeqList:1}\0junk", 44)).front(), '{');

    const std::int64_t kept = AddNeed(theCase, nursing);
    const std::int64_t deleted = AddNeed(theCase, walkers, {{cat::case_needs::kDeleted, "Y"}});
    reply = Call({{"ServerCommand", "getcaseneedstatus"},
                  {"SeqList", S(kept) + "," + S(deleted) + ",abc,,99999," + S(theCase + 1000)}});
    EXPECT_EQ(Names(*reply->GetMember("StatusList")), std::vector<std::string>{S(kept)});
}

TEST_F(StatusTest, NeedStatusFollowsItsRequestsThroughEveryState) {
    const std::int64_t need = AddNeed(theCase, nursing);
    const std::int64_t a = AddProvider("A", "10000"), b = AddProvider("B", "10000");
    EXPECT_EQ(NeedStatus(need), "1A");

    AddQuote(need, a, "X");
    EXPECT_EQ(NeedStatus(need), "1A") << "a cancelled request counts as none sent";

    const std::int64_t first = AddQuote(need, a, "W");
    EXPECT_EQ(NeedStatus(need), "2");

    storage->Update(cat::tbl::kCaseNeedsQuote, first, {{cat::quotes::kStatus, "R"}});
    EXPECT_EQ(NeedStatus(need), "1B");

    const std::int64_t second = AddQuote(need, b, "w");
    EXPECT_EQ(NeedStatus(need), "2") << "one rejection and one waiting request";

    storage->Update(cat::tbl::kCaseNeedsQuote, second, {{cat::quotes::kStatus, "A"}});
    EXPECT_EQ(NeedStatus(need), "1C");

    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kAwardedQuote, S(second)}});
    EXPECT_EQ(NeedStatus(need), "3");

    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kAwardedQuote, ""}});
    storage->Update(cat::tbl::kCaseNeedsQuote, second, {{cat::quotes::kClosingMark, "C"}});
    EXPECT_EQ(NeedStatus(need), "1B") << "a closed quote no longer counts";

    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kDelivered, "20250311"}});
    EXPECT_EQ(NeedStatus(need), "3");
}

TEST_F(StatusTest, CaseStatusIsItsMostUrgentListedNeed) {
    const std::int64_t other = Add(cat::tbl::kCases, {{cat::cases::kHospital, S(hospital)}});
    const std::int64_t p = AddProvider("P", "10000");
    const std::int64_t waiting = AddNeed(theCase, nursing);
    AddQuote(waiting, p, "W");
    AddNeed(theCase, walkers, {{cat::case_needs::kDelivered, "20250305"}});
    const std::int64_t rejected = AddNeed(theCase, walkers, {{cat::case_needs::kDeleted, "Y"}});
    AddQuote(rejected, p, "R");

    auto status = [&](std::int64_t c) {
        return Call({{"ServerCommand", "getcasestatus"}, {"SeqList", S(c)}})->GetMember("StatusList")->GetString(S(c));
    };
    EXPECT_EQ(status(theCase), "2") << "the deleted, rejected need does not count";
    EXPECT_EQ(status(other), "1A") << "a case without needs has no plan yet";
    // Many cases at once answer as each alone; another hospital's case is not there.
    const std::int64_t foreign = Add(cat::tbl::kCases, {{cat::cases::kHospital, S(AddProvider("Rival", "10000"))}});
    AddQuote(AddNeed(foreign, nursing), p, "A");
    auto all = Call({{"ServerCommand", "getcasestatus"}, {"SeqList", S(other) + "," + S(foreign) + "," + S(theCase)}});
    EXPECT_EQ(all->GetMember("StatusList")->Items().CommaText(), S(other) + "=1A," + S(theCase) + "=2");

    storage->Update(cat::tbl::kCaseNeeds, rejected, {{cat::case_needs::kDeleted, ""}});
    EXPECT_EQ(status(theCase), "1B");
    storage->Update(cat::tbl::kCaseNeeds, rejected, {{cat::case_needs::kDelivered, "20250305"}});
    storage->Update(cat::tbl::kCaseNeeds, waiting, {{cat::case_needs::kDelivered, "20250305"}});
    EXPECT_EQ(status(theCase), "3");
}

TEST_F(StatusTest, CaseManagerOverviewGroupsOpenCasesByDaysLeft) {
    // Today is 2025-03-10.
    auto addCase = [&](const std::string& number, const std::string& admitted, const std::string& discharge,
                       const std::string& closed = "") {
        return Add(cat::tbl::kCases, {{cat::cases::kHospital, S(hospital)},
                                      {cat::cases::kCaseWorker, S(worker)},
                                      {cat::cases::kCaseNumber, number},
                                      {cat::cases::kAdmission, admitted},
                                      {cat::cases::kDischarge, discharge},
                                      {cat::cases::kClosed, closed}});
    };
    addCase("today", "20250301", "20250310090000");
    addCase("in3days", "20250301", "20250313");
    addCase("in4days", "20250301", "20250314");
    addCase("late", "20250301", "20250309");
    addCase("newcase", "20250309", "");
    addCase("old", "20250301", "");
    addCase("closed", "20250301", "20250308", "Y");
    const std::int64_t withNeed = addCase("late", "20250301", "20250305");  // same number as another
    AddNeed(withNeed, nursing, {{cat::case_needs::kDelivered, "20250305"}});
    // The fixture's case C-100: discharge 2025-03-12, the third day.

    auto reply = Call({{"ServerCommand", "getcasemanagerstatus"}, {"SeqList", S(worker) + ",99999"}, {"GroupByDay", "Y"}});
    cJsonNode& list = *reply->GetMember("StatusList");
    ASSERT_EQ(Names(list), std::vector<std::string>{S(worker)});
    cJsonNode& member = *list.GetMember(S(worker));
    EXPECT_EQ(member.GetString("CaseCount"), "8");
    EXPECT_EQ(member.GetMember("DaysLeft1")->Items().CommaText(), "today=1");
    EXPECT_EQ(member.GetMember("DaysLeft2")->Items().CommaText(), "");
    EXPECT_EQ(member.GetMember("DaysLeft3")->Items().CommaText(), "C-100=1");
    EXPECT_EQ(member.GetMember("DaysLeft4")->Items().CommaText(), "in3days=1");
    EXPECT_EQ(member.GetMember("New")->Items().CommaText(), "newcase=1");
    EXPECT_EQ(member.GetMember("Over")->Items().CommaText(), "late=1,\"late (" + S(withNeed) + ")=3\"");

    reply = Call({{"ServerCommand", "getcasemanagerstatus"}, {"SeqList", S(worker)}});
    const std::string all = reply->GetMember("StatusList")->GetMember(S(worker))->Items().CommaText();
    for (const char* name : {"today", "in3days", "in4days", "newcase", "old", "C-100"})
        EXPECT_NE(all.find(std::string(name) + "=1"), std::string::npos) << all;
    EXPECT_EQ(all.find("closed"), std::string::npos) << all;
}

}  // namespace
}  // namespace functions_test
