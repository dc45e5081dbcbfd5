#include "dataserver_fixture.h"

#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::test {

using server::FieldValues;
using server::Storage;

namespace {

std::string Add(Storage& storage, const char* table, FieldValues values) {
    return std::to_string(storage.Add(table, values));
}

}  // namespace

server::SecurityConfig TestSecurity() {
    server::SecurityConfig security;
    security.passwordIterations = 1000;
    security.loginDelaySeconds = 0;
    security.lockAfterFailures = 100000;
    return security;
}

HospitalData BuildHospital(Storage& storage) {
    namespace tbl = catalogue::tbl;
    HospitalData d;
    storage.InTransaction([&] {
        d.mercy = Add(storage, tbl::kProviderEntities,
                      {{10, "Mercy General"}, {14, "OH"}, {15, "43210"}, {26, "1234567890"}});
        d.stJude = Add(storage, tbl::kProviderEntities, {{10, "St Jude"}, {14, "CA"}, {15, "90001"}});
        d.alpha = Add(storage, tbl::kProviderEntities, {{10, "Alpha Care"}, {14, "CA"}, {15, "90001"}});
        d.sunrise = Add(storage, tbl::kProviderEntities, {{10, "Sunrise Rehab"}, {14, "OH"}, {15, "43210"}});
        d.sunset = Add(storage, tbl::kProviderEntities, {{10, "Sunset Nursing"}, {14, "OH"}, {15, "43215"}});
        d.sunnyside = Add(storage, tbl::kProviderEntities, {{10, "sunny side home"}, {14, "OH"}, {15, "43210"}});

        d.medicare = Add(storage, tbl::kInsuranceTypes, {{10, "Medicare"}, {11, "Medicare Part A"}});
        d.blueShield = Add(storage, tbl::kInsuranceTypes, {{10, "Blue Shield"}, {11, "Blue Shield PPO"}});
        d.nurseType = Add(storage, tbl::kPersonnelTypes, {{10, "Nurse"}});
        Add(storage, tbl::kPersonnelTypes, {{10, "Physician"}});

        d.admin = Add(storage, tbl::kPersonnel,
                      {{9, d.mercy}, {11, "Ann"}, {13, "Zimmer"}, {22, "admin@mercy.test"}, {23, "secret"},
                       {25, "Y"}, {26, "Y"}});
        d.worker1 = Add(storage, tbl::kPersonnel,
                        {{9, d.mercy}, {10, "Ms"}, {11, "Carl"}, {13, "Miller"}, {22, "carl@mercy.test"}, {25, "Y"}});
        d.worker2 = Add(storage, tbl::kPersonnel,
                        {{9, d.mercy}, {11, "dana"}, {13, "miller"}, {22, "dana@mercy.test"}, {25, "Y"}});
        d.adams = Add(storage, tbl::kPersonnel,
                      {{9, d.mercy}, {10, "Dr"}, {11, "Amy"}, {13, "Adams"}, {19, "5550100"}, {27, "Y"},
                       {28, "Cardiology"}});
        d.baker = Add(storage, tbl::kPersonnel,
                      {{9, d.mercy}, {11, "Bob"}, {13, "Baker"}, {27, "Y"}, {28, "Neurology"}});
        d.judeWorker = Add(storage, tbl::kPersonnel,
                           {{9, d.stJude}, {11, "Jon"}, {13, "Jude"}, {22, "jon@jude.test"}, {25, "Y"}});

        d.pat1 = Add(storage, tbl::kPatients, {{10, "Pat"}, {12, "One"}, {13, "123456789"}, {14, "19500102"}});
        d.pat2 = Add(storage, tbl::kPatients, {{10, "Sam"}, {12, "Two"}, {13, "987654321"}, {14, "19610203"}});

        d.openC1 = Add(storage, tbl::kCases,
                       {{10, d.pat1}, {11, d.mercy}, {12, "20240105"}, {14, "12"}, {19, d.medicare},
                        {20, d.blueShield}, {22, "C-100"}, {23, d.worker1}, {1001, "Pneumonia||follow-up"}});
        d.openC2 = Add(storage, tbl::kCases,
                       {{10, d.pat2}, {11, d.mercy}, {12, "20240103"}, {22, "C-101"}, {23, d.worker2}});
        d.closedC3 = Add(storage, tbl::kCases,
                         {{10, d.pat1}, {11, d.mercy}, {12, "20231201"}, {13, "20231210093000"}, {18, "Y"},
                          {22, "C-090"}, {23, d.worker1}});
        d.closedC4 = Add(storage, tbl::kCases,
                         {{10, d.pat2}, {11, d.mercy}, {12, "20240201"}, {13, "20240210120000"}, {18, "Y"},
                          {22, "C-095"}, {23, d.worker1}});
        d.judeC5 = Add(storage, tbl::kCases,
                       {{10, d.pat2}, {11, d.stJude}, {12, "20240104"}, {22, "C-100"}, {23, d.judeWorker}});

        d.skilledNursing = Add(storage, tbl::kProviderCategories, {{12, "Skilled Nursing Facility"}});
        d.rehab = Add(storage, tbl::kProviderCategories, {{12, "Rehab"}});
        Add(storage, tbl::kProviderCategoryLink, {{10, d.alpha}, {11, d.skilledNursing}});
        Add(storage, tbl::kPreferredProviders, {{10, d.mercy}, {11, d.alpha}});

        d.needN1 = Add(storage, tbl::kCaseNeeds,
                       {{10, d.openC1}, {12, d.skilledNursing}, {14, "202401101200"}, {15, "Placement"}});
        d.needN2Deleted = Add(storage, tbl::kCaseNeeds, {{5, "Y"}, {10, d.openC1}, {14, "20240109"}});
        d.needN3 = Add(storage, tbl::kCaseNeeds, {{10, d.openC1}, {12, d.rehab}, {14, "20240108"}});
        d.quoteW = Add(storage, tbl::kCaseNeedsQuote,
                       {{10, d.needN1}, {11, d.alpha}, {12, d.worker1}, {13, "100.5"}, {14, "W"}});
        d.quoteR = Add(storage, tbl::kCaseNeedsQuote,
                       {{10, d.needN1}, {11, d.sunrise}, {14, "R"}, {15, "8"}, {1001, "No beds"}});
        d.quoteA = Add(storage, tbl::kCaseNeedsQuote, {{10, d.needN1}, {11, d.sunset}, {14, "A"}});

        d.doctorLink =
            Add(storage, tbl::kCaseDoctorsLink, {{10, d.openC1}, {11, d.adams}, {12, "P"}, {13, "Cardiology"}});
        Add(storage, tbl::kCaseFamily, {{9, d.openC1}, {11, "Eve"}, {13, "One"}, {23, "P"}});
        Add(storage, tbl::kDiagCodeDetail,
            {{10, d.openC1}, {11, "4019"}, {1001, "Unspecified essential hypertension"}});

        for (const auto& [code, text] : std::vector<std::pair<const char*, const char*>>{
                 {"486", "Pneumonia, organism unspecified"},
                 {"4010", "Malignant essential hypertension"},
                 {"4011", "Benign essential hypertension"},
                 {"4019", "Unspecified essential hypertension"},
                 {"25000", "Diabetes mellitus without mention of complication"}})
            Add(storage, tbl::kICD9Symptom, {{10, code}, {11, text}});
    });
    return d;
}

std::vector<std::string> QueryPage::Column(std::size_t i) const {
    std::vector<std::string> column;
    for (const auto& line : lines) column.push_back(i < line.size() ? line[i] : "<missing>");
    return column;
}

QueryPage ReadQueryReply(const std::string& reply) {
    std::vector<std::string> items = ParseCommaText(reply);
    QueryPage page;
    EXPECT_GE(items.size(), 2u) << reply;
    if (items.size() < 2) return page;
    page.position = ToIntDef(items.back(), -1);
    if (items[0] == "0") {
        EXPECT_EQ(items.size(), 2u) << reply;
        return page;
    }
    page.records = true;
    const std::vector<std::string> header = ParseCommaText(items[0]);
    EXPECT_EQ(header.size(), 2u) << reply;
    page.firstMark = ToIntDef(header.at(0), -1);
    page.secondMark = ToIntDef(header.at(1), -1);
    for (std::size_t i = 1; i + 1 < items.size(); ++i) page.lines.push_back(ParseCommaText(items[i]));
    return page;
}

int ErrorCodeOf(const std::string& reply) {
    return ToIntDef(StringList(ParseCommaText(reply)).Value("ErrorCode"), 0);
}

std::string QueryText(const std::string& table, const std::string& index, const std::string& keyFrom,
                      const std::string& keyTo, int start, int maxCount, const std::string& fieldList,
                      const std::string& aliasList, const std::string& filter, const std::string& direction,
                      const std::string& option12) {
    return ToCommaText({"V2", table, index, keyFrom, keyTo, std::to_string(start), std::to_string(maxCount),
                        fieldList, aliasList, filter, direction, "", option12});
}

DataServerTest::DataServerTest()
    : storage(place.Open()),
      data(BuildHospital(*storage)),
      logins(std::make_unique<server::LoginService>(*storage, TestSecurity())),
      trail(std::make_unique<server::AuditWriter>(*storage, [] { return std::time(nullptr); })),
      session(std::make_unique<server::DataServerSession>(*storage, *logins, *trail, dir.Path(), "127.0.0.1")) {
    const std::string reply = Ask(frame::cmd::kHandshake, 0, "ProgramID=Dalvero");
    EXPECT_TRUE(session->Accepted()) << reply;
    const std::string login = Ask(frame::cmd::kLogIn, 0, "Email=admin@mercy.test,Password=secret");
    EXPECT_TRUE(session->LoggedIn()) << login;
}

std::string DataServerTest::Ask(std::uint32_t command, std::uint32_t subCommand, const std::string& payload) {
    return session->Handle(frame::Header{static_cast<std::uint32_t>(payload.size() + 1), command, subCommand},
                           payload);
}

std::string DataServerTest::Record(std::uint32_t subCommand, const std::vector<std::string>& items) {
    return Ask(frame::cmd::kRecord, subCommand, ToCommaText(items));
}

}  // namespace dalvero::test
