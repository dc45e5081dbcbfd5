#include <gtest/gtest.h>

#include "dataserver_fixture.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::test {
namespace {

using Strings = std::vector<std::string>;
namespace cat = catalogue;

class ListQueryTest : public DataServerTest {};

TEST_F(ListQueryTest, CaseListsHoldTheOpenOrClosedCasesOfTheirKey) {
    // Lines carry position, flag, Seq and the fields asked for, notes too.
    const auto open = Query("Cases", "L4", data.mercy, "", 1, 1000, "f22,f14,f1001");
    EXPECT_EQ(open.Column(2), (Strings{data.openC2, data.openC1}));  // by admission date
    EXPECT_EQ(open.lines.at(1), (Strings{"2", "0", data.openC1, "C-100", "12", "Pneumonia||follow-up"}));
    EXPECT_EQ(std::make_pair(open.firstMark, open.secondMark), std::make_pair(0, 0));
    EXPECT_EQ(open.position, 2);
    EXPECT_EQ(Query("Cases", "L5", data.worker1, "", 1, 1000, "f22").Column(2), (Strings{data.openC1}));
    // Closed lists: the most recent discharge first.
    EXPECT_EQ(Query("Cases", "L3", data.mercy, "", 1, 1000, "f22", "", "f18=Y").Column(2),
              (Strings{data.closedC4, data.closedC3}));
    EXPECT_EQ(Query("Cases", "L6", data.worker1, "", 1, 1000, "f22", "", "f18=Y").Column(2),
              (Strings{data.closedC4, data.closedC3}));
    EXPECT_EQ(Query("Cases", "L6", data.worker2, "", 1, 1000, "f22").position, 0);
    EXPECT_EQ(Query("Cases", "L2", data.pat1, "", 1, 1000, "f12").Column(2), (Strings{data.closedC3, data.openC1}));
    EXPECT_EQ(Query("Cases", "L8", data.mercy, "", 1, 1000, "f13").position, 4);
    // Another hospital's cases never show, nor does an empty key list them all.
    EXPECT_FALSE(Query("Cases", "L4", data.stJude, "", 1, 1000, "f22").records);
    EXPECT_FALSE(Query("Cases", "L1", data.judeC5, "", 1, 1000, "f22").records);
    const auto none = Query("Cases", "L4", "", "", 1, 1000, "f22");
    EXPECT_FALSE(none.records);
    EXPECT_EQ(none.position, 0);

    const auto all = Query("Cases", "L1", data.openC1, "", 1, 1, "*");
    ASSERT_EQ(all.lines.size(), 1u);
    ASSERT_EQ(all.lines[0].size(), 3u + cat::cases::kLateAfter);
    EXPECT_EQ(all.lines[0][3], data.openC1);  // f1
    EXPECT_EQ(all.lines[0][3 + cat::cases::kCaseNumber - 1], "C-100");
}

TEST_F(ListQueryTest, JoinsReachThroughLinksAndEarlierJoins) {
    // The case history's list, with its empty field name.
    const auto history = Query("Cases", "L2", data.pat1, "", 1, 1000, "f12,,cm11,cm13,ip10,is10,it10,P10,P12",
                               "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19,is=InsuranceTypes:f20,"
                               "it=InsuranceTypes:f21");
    ASSERT_EQ(history.lines.size(), 2u);
    EXPECT_EQ(history.lines[1], (Strings{"2", "0", data.openC1, "20240105", "", "Carl", "Miller", "Medicare",
                                         "Blue Shield", "", "Pat", "One"}));

    const auto doctors = Query("CaseDoctorsLink", "L2", data.openC1, "", 1, 1000, "f11,f12,doc13,doc28,hosp10",
                               "doc=Personnel:f11,hosp=ProviderEntities:doc9");
    ASSERT_EQ(doctors.lines.size(), 1u);
    EXPECT_EQ(doctors.lines[0], (Strings{"1", "0", data.doctorLink, data.adams, "P", "Adams", "Cardiology",
                                         "Mercy General"}));

    // Table names in aliases are matched without letter case; notes join too.
    const auto quotes = Query("CaseNeedsQuote", "L2", data.needN1, "", 1, 1000, "pe10,f14,f1001",
                              "pe=providerEntities:f11", "f14=R");
    EXPECT_EQ(quotes.lines.at(0), (Strings{"1", "0", data.quoteR, "Sunrise Rehab", "R", "No beds"}));
}

TEST_F(ListQueryTest, FiltersCompareFieldsAndEmptyValues) {
    EXPECT_EQ(Query("CaseNeeds", "L2", data.openC1, "", 1, 1000, "f14", "", "f5!=y").Column(2),
              (Strings{data.needN3, data.needN1}));
    EXPECT_EQ(Query("CaseNeeds", "L2", data.openC1, "", 1, 1000, "f14").position, 3);
    EXPECT_EQ(Query("Cases", "L4", data.mercy, "", 1, 1000, "f22", "", "f24=,f23=" + data.worker2).Column(2),
              (Strings{data.openC2}));
    EXPECT_EQ(Query("Cases", "L8", data.mercy, "", 1, 1000, "f22", "", "f12>=20240103,f12<=20240104").Column(2),
              (Strings{data.openC2}));
    EXPECT_EQ(Query("CaseDoctorsLink", "L2", data.openC1, "", 1, 1, "f13", "", "f12=P").position, 1);
}

TEST_F(ListQueryTest, DateRangesCompareTheDayOfDateTimesBothEndsIncluded) {
    // As the state file and the late-discharge report read closed cases.
    const std::string filter = "f18=Y,f13>=12/10/2023,f13<=02/10/2024";
    const auto both = Query("Cases", "L8", data.mercy, "12/10/2023", 0, 1000000, "f13", "", filter, "F", "D");
    EXPECT_EQ(both.Column(2), (Strings{data.closedC3, data.closedC4}));
    const auto one = Query("Cases", "L8", data.mercy, "12/11/2023", 0, 1000000, "f13", "",
                           "f18=Y,f13>=12/11/2023,f13<=02/10/2024", "F", "D");
    EXPECT_EQ(one.Column(2), (Strings{data.closedC4}));
    EXPECT_NE(ErrorCodeOf(Ask(frame::cmd::kQuery, 0,
                              QueryText("Cases", "L8", data.mercy, "", 0, 10, "f13", "", "f13>=13/45/2024", "F", "D"))),
              0);
}

TEST_F(ListQueryTest, PositioningKeysPlaceTheReadAtTheFirstRecordFromTheKey) {
    // The physician look-up: doctors only, by last name.
    const auto fromBa = Query("Personnel", "L2", "", "ba", 0, 17, "f13,f11", "", "f27=Y", "F", "Y");
    EXPECT_EQ(fromBa.Column(3), (Strings{"Baker"}));
    EXPECT_EQ(fromBa.firstMark, 1);
    EXPECT_EQ(fromBa.secondMark, 0);
    EXPECT_EQ(fromBa.position, 2);
    // Centred look-ups start before the key, clipped at the list's start.
    EXPECT_EQ(Query("Personnel", "L2", "", "ba", -8, 17, "f13", "", "f27=Y").Column(3), (Strings{"Adams", "Baker"}));
    EXPECT_FALSE(Query("Personnel", "L2", "", "zz", 0, 17, "f13", "", "f27=Y").records);
    // The code look-up's one record of context before the typed code.
    EXPECT_EQ(Query("ICD9Symptom", "L2", "", "401", -1, 20, "f10").Column(3),
              (Strings{"25000", "4010", "4011", "4019", "486"}));
    EXPECT_EQ(Query("ICD9Symptom", "L2", "", "4011", -1, 2, "f10").Column(3), (Strings{"4010", "4011"}));
}

TEST_F(ListQueryTest, NameListsReadFromTheTypedKeyOrWhollyWithoutOne) {
    EXPECT_EQ(Query("ProviderEntities", "L2", "Sun", "", 1, 20, "f10", "", "f14=OH").Column(3),
              (Strings{"sunny side home", "Sunrise Rehab", "Sunset Nursing"}));
    EXPECT_EQ(Query("ProviderEntities", "L2", "sun", "", 1, 20, "f10", "", "f14=oh,f15=43210").Column(3),
              (Strings{"sunny side home", "Sunrise Rehab"}));
    EXPECT_EQ(Query("InsuranceTypes", "L2", "", "", 1, 1000, "f10").Column(3), (Strings{"Blue Shield", "Medicare"}));
    // The need dialog's drop-down offers every category, whatever its key.
    EXPECT_EQ(Query("ProviderCategories", "L2", data.rehab, "", 1, 10000, "f12").Column(3),
              (Strings{"Rehab", "Skilled Nursing Facility"}));
    EXPECT_EQ(Query("Personnel", "L3", data.mercy, "", 1, 1000, "f11,f13").Column(3),
              (Strings{"Amy", "Bob", "Carl", "dana", "Ann"}));
}

TEST_F(ListQueryTest, RequestsItCannotServeGetAnErrorReply) {
    const std::vector<std::string> bad = {
        QueryText("NoTable", "L1", "", "", 1, 10, "f1"),
        QueryText("Cases", "L9", "", "", 1, 10, "f10"),
        QueryText("Cases", "X2", "", "", 1, 10, "f10"),
        QueryText("Cases", "L1", "", "", 1, 10, "f47"),
        QueryText("Cases", "L1", "", "", 1, 10, "zz10"),
        QueryText("Cases", "L1", "", "", 1, 10, "P10", "P=Patients"),
        QueryText("Cases", "L1", "", "", 1, 10, "P10", "P=Patients:f10,p=Patients:f10"),
        QueryText("Cases", "L1", "", "", 1, 10, "x10", "x=Nowhere:f10"),
        QueryText("Cases", "L1", "", "", 1, 10, "f10", "", "f5<>Y"),
        QueryText("Cases", "L1", "", "", 1, 10, "f10", "", "P10=Y"),
        QueryText("Cases", "L1", "", "", 1, 10, "f10", "", "f1001=x"),
        QueryText("Cases", "L1", "", "", 1, 10, "f10", "", "f1=abc"),
        QueryText("Cases", "L1", "abc", "", 1, 10, "f10"),
        QueryText("Cases", "L1", "", "", 1, 10, "f10", "", "", "Q"),
        "V2,Cases,L1,,,abc,10,f10",
        "V2,Cases,L1,,,9223372036854775807,10,f10",
        "V2,Cases,L1",
        "V1,Cases,L1,,,1,10,f10",
        "\"unterminated",
    };
    for (const std::string& request : bad) {
        const std::string reply = Ask(frame::cmd::kQuery, 0, request);
        EXPECT_NE(ErrorCodeOf(reply), 0) << request << " -> " << reply;
        EXPECT_FALSE(StringList(ParseCommaText(reply)).Value("Error").empty()) << request;
    }
    EXPECT_EQ(Query("Cases", "L1", "", "", 1, 100, "f10").position, 4);  // nothing was harmed (St Jude's not counted)
}

TEST_F(ListQueryTest, ListsReadWholeCarryNotesSeqsAndRepeatedFieldsInPlace) {
    storage->Update("ProviderEntities", std::stoll(data.sunrise), {{1001, "Beds, \"few\""}, {1002, "East wing"}});
    const auto page = Query("ProviderEntities", "L2", "Sun", "", 1, 20, "f10,f1001,f1,f10,f1002", "", "f14=OH");
    ASSERT_EQ(page.lines.size(), 3u);
    EXPECT_EQ(page.lines[1], (Strings{"2", "0", data.sunrise, "Sunrise Rehab", "Beds, \"few\"", data.sunrise,
                                      "Sunrise Rehab", "East wing"}));
    EXPECT_EQ(page.lines[2], (Strings{"3", "0", data.sunset, "Sunset Nursing", "", data.sunset, "Sunset Nursing", ""}));
}

TEST_F(ListQueryTest, APageTooLargeForOneReplyEndsEarlyAndPagesOn) {
    // Twelve 1 MiB values: more than one reply may carry.
    for (int i = 0; i < 12; ++i)
        storage->Add("ProviderEntities", {{10, std::string(1 << 20, char('a' + i))}, {12, "Large"}});
    const std::string filter = "f12=Large";
    const auto first = Query("ProviderEntities", "L1", "", "", 1, 1000, "f10", "", filter);
    ASSERT_TRUE(first.records);
    ASSERT_GE(first.lines.size(), 1u);
    ASSERT_LT(first.lines.size(), 12u);
    EXPECT_EQ(first.secondMark, static_cast<int>(first.lines.size()) + 1) << "where the next page starts";
    const auto rest = Query("ProviderEntities", "L1", "", "", first.secondMark, 1000, "f10", "", filter);
    ASSERT_TRUE(rest.records);
    EXPECT_EQ(rest.lines.front()[3], std::string(1 << 20, char('a' + first.lines.size())));
}

}  // namespace
}  // namespace dalvero::test
