// The requests behind the case loaders and what they make of the replies,
// against a scripted server.
#include <gtest/gtest.h>

#include <map>

#include "case_queries.h"
#include "record_batch.h"
#include "scripted_server.h"

namespace dalvero {
namespace {

using test::kDropConnection;
using test::ScriptedServer;

constexpr char kCaseFields[] =
    "f10,f12,f13,f14,f15,f18,f19,f20,f21,f22,f23,f24,f25,f30,P10,P11,P12,P13,P14,P15,cm11,cm13";

// A query reply with the given records and end position (the list's size),
// the marks around them as given.
std::string PageReply(const std::vector<std::vector<std::string>>& records, int position,
                      const std::vector<std::string>& marks = {"1", "2"}) {
    std::vector<std::string> items{ToCommaText(marks)};
    for (const auto& record : records) items.push_back(ToCommaText(record));
    items.push_back(std::to_string(position));
    return ToCommaText(items);
}

// A record line: its Seq, then one value per field of fields, empty unless given.
std::vector<std::string> Record(const std::string& seq, const std::string& fields,
                                const std::map<std::string, std::string>& values) {
    std::vector<std::string> line{"0", "0", seq};
    for (const std::string& name : ParseCommaText(fields)) {
        const auto value = values.find(name);
        line.push_back(value == values.end() ? std::string() : value->second);
    }
    return line;
}

// Items of the i-th request, by position.
void ExpectSent(const ScriptedServer& server, std::size_t i, const std::map<int, std::string>& items) {
    const std::vector<std::string> sent = ParseCommaText(server.Requests().at(i).Text());
    for (const auto& [at, value] : items) EXPECT_EQ(sent.at(at), value) << "request " << i << " item " << at;
}

TEST(OpenCaseQuery, UsersOwnCasesOrTheWholeHospital) {
    ScriptedServer server({PageReply({Record("12", kCaseFields,
                                             {{"f10", "40"}, {"f22", "C-1"}, {"f24", "Y"}, {"f25", "Y"},
                                              {"P10", "Ann"}, {"P12", "Lee"}, {"cm11", "Carl"}, {"cm13", "Dunn"}}),
                                      Record("13", kCaseFields, {{"f24", "Y"}, {"P12", "Moe"}})},
                                     2),
                           "0,0"});
    const std::vector<cCaseObject> rows = QueryOpenCases(server.db, {"7", "3", false}).value();
    ExpectSent(server, 0,
               {{1, "Cases"}, {2, "L5"}, {3, "3"}, {6, "1000"}, {7, kCaseFields},
                {8, "P=Patients:f10,Ip=InsuranceTypes:f19,Is=InsuranceTypes:f20,cm=Personnel:f23"}, {9, ""}});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Seq + "|" + rows[0].PatientSeq + "|" + rows[0].CaseNumber + "|" + rows[0].FirstName + "|" +
                  rows[0].CaseWorkerName,
              "12|40|C-1|Ann|Carl Dunn");
    EXPECT_TRUE(rows[0].ApprovalRequested && rows[0].Approved);
    EXPECT_TRUE(rows[1].ApprovalRequested && !rows[1].Approved);

    EXPECT_TRUE(QueryOpenCases(server.db, {"7", "3", true}).value().empty());
    ExpectSent(server, 1, {{2, "L4"}, {3, "7"}});
}

TEST(OpenCaseQuery, EveryPageOfALongListAndNoListWhenAPageFails) {
    // Three open cases, two a page: the second mark says where the rest starts.
    const std::string first =
        PageReply({Record("12", kCaseFields, {{"P12", "Lee"}}), Record("13", kCaseFields, {})}, 3, {"0", "3"});
    const std::string second = PageReply({Record("14", kCaseFields, {{"P12", "Moe"}})}, 3, {"2", "0"});
    ScriptedServer server({first, second, first, kDropConnection});
    const std::optional<std::vector<cCaseObject>> rows = QueryOpenCases(server.db, {"7", "3", true});
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ(rows->back().Seq + rows->back().LastName, "14Moe");
    ExpectSent(server, 1, {{2, "L4"}, {5, "3"}});
    // A hidden open case would be a wrong list: a page that fails fails it all.
    EXPECT_FALSE(QueryOpenCases(server.db, {"7", "3", true}).has_value());
}

TEST(CaseStatuses, OnlyListedCasesTakeAStatusAndNoReplyLeavesThemEmpty) {
    ScriptedServer server({"{StatusList:{12:1A,99:3,13:2}}"}, false);
    std::vector<cCaseObject> rows(2);
    rows[0].Seq = "12";
    rows[1].Seq = "13";
    ApplyCaseStatuses(server.db, rows);
    EXPECT_EQ(server.LastRequestText(), "{ServerCommand:getcasestatus,SeqList:\"12,13\"}");
    EXPECT_EQ(rows[0].Status, "1A");
    EXPECT_EQ(rows[1].Status, "2");

    ScriptedServer dropping({kDropConnection}, false);
    rows[0].Status.clear();
    ApplyCaseStatuses(dropping.db, rows);
    EXPECT_EQ(rows[0].Status, "");
}

TEST(PreviousCaseQuery, ClosedCasesPagedByTheServer) {
    ScriptedServer server({PageReply({Record("5", kCaseFields, {{"P12", "Zed"}, {"f24", "Y"}})}, 9)});
    cRecordBatch batch;
    ASSERT_TRUE(QueryPreviousCases(batch, server.db, {"7", "3", false}, 0));
    // At least one row a page.
    ExpectSent(server, 0, {{2, "L6"}, {3, "3"}, {6, "1"}, {9, "f18=Y"}, {12, "Y"}});
    const std::vector<cCaseObject> rows = CaseRows(*batch.Set, false);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].LastName, "Zed");
    EXPECT_FALSE(rows[0].ApprovalRequested);
    // Paging buttons only when more follow.
    EXPECT_TRUE(PagingButtonsVisible(20, 60));
    EXPECT_FALSE(PagingButtonsVisible(20, 20));
    EXPECT_FALSE(PagingButtonsVisible(0, 0));
}

TEST(CaseHistoryAndWorkers, HistoryWithoutBlankFieldNamesAndWorkersWithSeq) {
    ScriptedServer server({"0,0", PageReply({Record("7", "f11,f13", {{"f11", "Ann"}, {"f13", "Lee"}}),
                                             Record("8", "f11,f13", {{"f11", "Bo"}, {"f13", "Ray"}})},
                                            2)});
    EXPECT_TRUE(QueryCaseHistory(server.db, "40").value().empty());
    ExpectSent(server, 0,
               {{2, "L2"}, {3, "40"},
                {7, "f10,f12,f13,f14,f15,f18,f19,f20,f21,f22,cm11,cm13,ip10,is10,it10,P10,P11,P12,P13,P14,P15"}});
    EXPECT_EQ(QueryCaseWorkers(server.db, "3"), (std::vector<std::pair<std::string, int>>{{"Ann Lee", 7}, {"Bo Ray", 8}}));
    ExpectSent(server, 1, {{1, "Personnel"}, {2, "L3"}});
}

constexpr char kDoctorFields[] =
    "f11,f12,f13,doc10,doc11,doc12,doc13,doc14,doc15,doc16,doc17,doc18,doc19,doc20,doc21,doc22,doc23,doc24,doc25,"
    "doc26,doc27,doc28,hosp10";

TEST(CaseSubListQuery, PrimaryPhysicianFirst) {
    ScriptedServer server({PageReply({Record("21", kDoctorFields, {{"doc11", "Al"}, {"doc13", "Ng"}}),
                                      Record("22", kDoctorFields, {{"f12", "P"}, {"doc11", "Bea"}, {"doc13", "Ortiz"}}),
                                      Record("23", kDoctorFields, {{"doc11", "Cy"}, {"doc13", "Pak"}})},
                                     3)});
    const std::vector<SubListRow> rows = QueryCaseSubList(server.db, CaseSubList::kPhysicians, "12", false).value();
    ExpectSent(server, 0, {{1, "CaseDoctorsLink"}, {7, kDoctorFields}, {8, "doc=Personnel:f11,hosp=ProviderEntities:doc9"}});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text + "|" + rows[1].text + "|" + rows[2].text, "Ortiz, Bea|Ng, Al|Pak, Cy");
    EXPECT_EQ(rows[0].item.Seq, "22");
    EXPECT_EQ(rows[0].item.GetValue("f12"), "P");
    // Every field of the list is kept by name, empty ones too.
    EXPECT_EQ(rows[1].item.Values.size(), ParseCommaText(kDoctorFields).size());
}

TEST(CaseSubListQuery, FamilyAndCodesWithoutSeq) {
    constexpr char kFamilyFields[] = "f10,f11,f12,f13,f14,f15,f16,f17,f18,f19,f20,f21,f22,f23";
    ScriptedServer server({PageReply({Record("31", kFamilyFields, {{"f11", "Dee"}, {"f13", "Ray"}}),
                                      Record("32", kFamilyFields, {{"f11", "Eli"}, {"f13", "Ray"}, {"f23", "P"}})},
                                     2),
                           PageReply({Record("41", "f11,f1001", {{"f11", "428.0"}, {"f1001", "Heart failure"}})}, 1)});
    const auto family = QueryCaseSubList(server.db, CaseSubList::kFamily, "12", true).value();
    ASSERT_EQ(family.size(), 2u);
    EXPECT_EQ(family[0].text, "Eli Ray");
    EXPECT_EQ(family[0].item.Seq, "");
    const auto codes = QueryCaseSubList(server.db, CaseSubList::kDiagnosisCodes, "12", false).value();
    ExpectSent(server, 1, {{1, "DiagCodeDetail"}});
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].text, "428.0");
    EXPECT_EQ(codes[0].item.GetValue("f1001"), "Heart failure");
}

TEST(PrimaryPhysicianQuery, NameValueTextOrEmpty) {
    ScriptedServer server({PageReply({Record("22", "f13,d10,d11,d12,d13",
                                             {{"f13", "Cardiology"}, {"d10", "Dr."}, {"d11", "Bea"}, {"d13", "Ortiz"}})},
                                     1),
                           "0,0"});
    EXPECT_EQ(QueryPrimaryPhysician(server.db, "12"),
              "Seq=22,Specialty=Cardiology,Title=Dr.,FirstName=Bea,MiddleName=,LastName=Ortiz");
    ExpectSent(server, 0, {{6, "1"}, {8, "d=Personnel:f11"}, {9, "f12=P"}});
    EXPECT_EQ(QueryPrimaryPhysician(server.db, "13"), "");
}

}  // namespace
}  // namespace dalvero
