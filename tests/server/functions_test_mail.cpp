// The commands that e-mail: provider requests and the physician's approval.
#include "functions_test_support.h"

namespace functions_test {
namespace {

using mail_test::DecodeQuotedPrintable;
using mail_test::FilesIn;
using mail_test::ParseMail;
using mail_test::ParsedMail;
using mail_test::ReadFile;

class MailCommandsTest : public FunctionsTest {
protected:
    MailCommandsTest() {
        AddHospitalAndCase();
        need = AddNeed(theCase, nursing,
                       {{cat::case_needs::kRequired, "202503141400"}, {cat::case_needs::kDescription, "Rehab bed"}});
        walker = AddNeed(theCase, walkers);
        sunrise = AddProvider("Sunrise Care", "10000",
                              {{cat::providers::kAttention, "Intake Desk"},
                               {cat::providers::kCompanyEmail, "office@sunrise.example"},
                               {cat::providers::kNotifyEmail, "intake@sunrise.example"}});
        oak = AddProvider("Oak Medical", "10000", {{cat::providers::kCompanyEmail, "oak@oak.example"}});
    }

    // The request as the matching window builds it: provider -> {need: name}.
    std::unique_ptr<cJsonNode> SendRequests(const std::vector<std::pair<std::int64_t, std::vector<std::int64_t>>>& asks) {
        cJsonNode request;
        for (const auto& [provider, needs] : asks) {
            cJsonNode* list = request.GetMember(S(provider));
            for (std::int64_t n : needs) list->AddMember(S(n), "\"shown name\"");
        }
        request.AddMember("ServerCommand", "sendinitialneedsemails");
        return Parse(Handle(request.ToText()));
    }

    std::vector<Record> QuotesOf(std::int64_t needSeq) {
        dalvero::server::ListRead read;
        read.table = cat::tbl::kCaseNeedsQuote;
        read.where.push_back({schema::quote_need::kNeed, dalvero::server::CompareOp::Equal, S(needSeq), false});
        return storage->Select(read);
    }

    std::vector<ParsedMail> Outbox() {
        std::vector<ParsedMail> mails;
        for (const auto& file : FilesIn(outbox())) mails.push_back(ParseMail(ReadFile(file)));
        return mails;
    }

    void MakePrimaryDoctor(const std::string& email) {
        doctor = Add(cat::tbl::kPersonnel, {{cat::personnel::kFirstName, "Gregory"},
                                            {cat::personnel::kLastName, "House"},
                                            {cat::personnel::kEmail, email},
                                            {cat::personnel::kPhysician, "Y"}});
        Add(cat::tbl::kCaseDoctorsLink, {{cat::case_doctors::kCase, S(theCase)},
                                         {cat::case_doctors::kDoctor, S(doctor)},
                                         {cat::case_doctors::kPrimary, "P"}});
    }

    std::int64_t need = 0, walker = 0, sunrise = 0, oak = 0, doctor = 0;
};

TEST_F(MailCommandsTest, RequestsBecomeWaitingQuotesAndOneMailPerProvider) {
    auto reply = SendRequests({{sunrise, {need, walker}}, {oak, {need}}});
    ASSERT_EQ(reply->GetString("Error"), "");

    const auto quotes = QuotesOf(need);
    ASSERT_EQ(quotes.size(), 2u);
    const Record& q = quotes[0];
    EXPECT_EQ(q.fields.at(cat::quotes::kProvider), S(sunrise));
    EXPECT_EQ(q.fields.at(cat::quotes::kPerson), S(worker));
    EXPECT_EQ(q.fields.at(cat::quotes::kStatus), "W");
    EXPECT_EQ(q.fields.at(cat::quotes::kCreated), "20250310120000");
    EXPECT_EQ(QuotesOf(walker).size(), 1u);

    const auto mails = Outbox();
    ASSERT_EQ(mails.size(), 2u);
    const ParsedMail& toSunrise = mails[0].Header("To") == "intake@sunrise.example" ? mails[0] : mails[1];
    const ParsedMail& toOak = &toSunrise == &mails[0] ? mails[1] : mails[0];
    EXPECT_EQ(toSunrise.Header("To"), "intake@sunrise.example") << "the notification address comes first";
    EXPECT_EQ(toOak.Header("To"), "oak@oak.example");
    EXPECT_EQ(toSunrise.Header("Reply-To"), "carla@general.example");
    const std::string body = DecodeQuotedPrintable(toSunrise.body);
    for (const char* text : {"Intake Desk", "General Hospital", "C-100", "Skilled Nursing Facility",
                             "03/14/2025 14:00", "Rehab bed", "Walkers", "Carla Worker", "555-0123"})
        EXPECT_NE(body.find(text), std::string::npos) << text << " in\n" << body;
    EXPECT_EQ(body.find("Ann"), std::string::npos) << "providers are not told the patient's name";
    EXPECT_EQ(DecodeQuotedPrintable(toOak.body).find("Walkers"), std::string::npos);

    // Asking again adds nothing for requests that are still open.
    ASSERT_EQ(SendRequests({{sunrise, {need}}})->GetString("Error"), "");
    EXPECT_EQ(QuotesOf(need).size(), 2u);
    EXPECT_EQ(Outbox().size(), 2u);
}

TEST_F(MailCommandsTest, ProviderWithoutAddressGetsNoQuoteAndIsReported) {
    const std::int64_t silent = AddProvider("Silent Home", "10000", {{cat::providers::kCompanyEmail, "not an address"}});
    auto reply = SendRequests({{silent, {need}}, {oak, {walker}}});
    EXPECT_NE(reply->GetString("Error").find("Silent Home"), std::string::npos) << reply->GetString("Error");
    EXPECT_TRUE(QuotesOf(need).empty());
    EXPECT_EQ(QuotesOf(walker).size(), 1u) << "the other provider's request stands";
    EXPECT_EQ(Outbox().size(), 1u);
}

TEST_F(MailCommandsTest, FailedDeliveryLeavesNoQuotes) {
    std::filesystem::create_directories(folder.Path());
    std::ofstream(outbox()) << "a file where the outbox folder should be";
    auto reply = SendRequests({{sunrise, {need, walker}}, {oak, {need}}});
    EXPECT_NE(reply->GetString("Error"), "");
    EXPECT_TRUE(QuotesOf(need).empty());
    EXPECT_TRUE(QuotesOf(walker).empty());
}

TEST_F(MailCommandsTest, BadRequestsChangeNothing) {
    const std::int64_t deleted = AddNeed(theCase, walkers, {{cat::case_needs::kDeleted, "Y"}});
    const std::int64_t foreign = AddNeed(Add(cat::tbl::kCases, {}), walkers);
    for (const auto& asks : std::vector<std::vector<std::pair<std::int64_t, std::vector<std::int64_t>>>>{
             {{sunrise, {need}}, {99999, {need}}},
             {{sunrise, {need, 99999}}},
             {{sunrise, {need, deleted}}},
             {{sunrise, {need, foreign}}},
             {{sunrise, {}}}}) {
        EXPECT_NE(SendRequests(asks)->GetString("Error"), "");
    }
    EXPECT_NE(Parse(Handle("{ServerCommand:sendinitialneedsemails,abc:{1:x}}"))->GetString("Error"), "");
    EXPECT_NE(Parse(Handle("{ServerCommand:sendinitialneedsemails," + S(sunrise) + ":[" + S(need) +
                                          "]}"))->GetString("Error"),
              "");
    EXPECT_TRUE(QuotesOf(need).empty());
    EXPECT_TRUE(Outbox().empty());
}

TEST_F(MailCommandsTest, AClosedCaseSendsNoRequestAndSaysWhoClosedIt) {
    const std::int64_t closer = Add(cat::tbl::kPersonnel, {{cat::personnel::kFirstName, "Rita"},
                                                           {cat::personnel::kLastName, "Moreno"}});
    ASSERT_TRUE(storage->Update(cat::tbl::kCases, theCase,
                                {{cat::cases::kClosed, "Y"}, {cat::cases::kClosedBy, S(closer)}}));
    EXPECT_EQ(SendRequests({{sunrise, {need}}})->GetString("Error"),
              "This case was closed by Rita Moreno; it takes no changes until it is reopened.");
    EXPECT_TRUE(QuotesOf(need).empty());
    EXPECT_TRUE(Outbox().empty());
}

TEST_F(MailCommandsTest, DoctorGetsTheDischargePlan) {
    MakePrimaryDoctor("house@general.example");
    const std::int64_t award = AddQuote(need, sunrise, "A");
    storage->Update(cat::tbl::kCaseNeeds, need, {{cat::case_needs::kAwardedQuote, S(award)}});
    storage->Update(cat::tbl::kProviderEntities, sunrise, {{cat::providers::kPhone, "555-0199"}});

    auto reply = Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", S(theCase)}});
    ASSERT_EQ(reply->GetString("Error"), "");
    const auto mails = Outbox();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Header("To"), "house@general.example");
    EXPECT_EQ(mails[0].Header("Reply-To"), "carla@general.example");
    EXPECT_NE(mails[0].Header("Subject").find("C-100"), std::string::npos);
    const std::string body = DecodeQuotedPrintable(mails[0].body);
    for (const char* text : {"Dr. House", "Ann Smith", "01/02/1940", "03/01/2025", "03/12/2025 10:00",
                             "Skilled Nursing Facility", "Sunrise Care, 555-0199", "Walkers", "no provider asked yet"})
        EXPECT_NE(body.find(text), std::string::npos) << text << " in\n" << body;
}

TEST_F(MailCommandsTest, DoctorMailNeedsAPrimaryPhysicianWithAnAddress) {
    auto send = [&] { return Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", S(theCase)}}); };
    EXPECT_NE(send()->GetString("Error"), "");

    const std::int64_t consultant = Add(cat::tbl::kPersonnel, {{cat::personnel::kLastName, "Wilson"},
                                                               {cat::personnel::kEmail, "wilson@general.example"}});
    Add(cat::tbl::kCaseDoctorsLink, {{cat::case_doctors::kCase, S(theCase)}, {cat::case_doctors::kDoctor, S(consultant)}});
    EXPECT_NE(send()->GetString("Error"), "") << "a physician who is not primary is not asked";

    MakePrimaryDoctor("");
    EXPECT_NE(send()->GetString("Error").find("House"), std::string::npos);
    EXPECT_TRUE(Outbox().empty());

    EXPECT_NE(Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", "99999"}})->GetString("Error"), "");
}

TEST_F(MailCommandsTest, NoMailWithoutALiveSessionOrForAnotherHospitalsCase) {
    MakePrimaryDoctor("house@general.example");
    const std::string command = "{ServerCommand:senddoctornotificationemail,CaseSeq:" + S(theCase);
    EXPECT_NE(Parse(server->HandleCommand(command + "}"))->GetString("Error"), "");
    const std::string stale = Session();
    logins->LogOut(stale, {});
    EXPECT_NE(Parse(server->HandleCommand(command + ",Session:" + stale + "}"))->GetString("Error"), "");
    EXPECT_NE(Parse(server->HandleCommand(command + ",Session:" + std::string(64, 'a') + "}"))->GetString("Error"), "");

    // An administrator of another hospital: the case is not there for them.
    const std::int64_t general = hospital;
    hospital = AddProvider("Elsewhere Hospital", "10000");
    EXPECT_NE(Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", S(theCase)}})->GetString("Error"), "");
    EXPECT_NE(SendRequests({{sunrise, {need}}})->GetString("Error"), "");
    EXPECT_TRUE(Outbox().empty());
    EXPECT_TRUE(QuotesOf(need).empty());
    hospital = general;
    EXPECT_EQ(Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", S(theCase)}})->GetString("Error"), "");
    EXPECT_EQ(Outbox().size(), 1u);
}

TEST_F(MailCommandsTest, MailsPerCaseAreLimitedAndEachNamesWhoSentIt) {
    MakePrimaryDoctor("house@general.example");
    const int limit = logins->Config().mailsPerCasePerHour;
    std::string error;
    for (int i = 0; i <= limit && error.empty(); ++i)
        error = Call({{"ServerCommand", "senddoctornotificationemail"}, {"CaseSeq", S(theCase)}})->GetString("Error");
    EXPECT_NE(error.find("most e-mails"), std::string::npos) << error;
    EXPECT_EQ(Outbox().size(), static_cast<std::size_t>(limit));

    namespace au = schema::audit;
    dalvero::server::ListRead read;
    read.table = schema::kAuditTrail;
    read.where = {{au::kAction, dalvero::server::CompareOp::Equal, "mail", false}};
    const auto mails = storage->Select(read);
    ASSERT_EQ(mails.size(), static_cast<std::size_t>(limit));
    EXPECT_EQ(mails[0].fields.at(au::kEmail), "admin" + S(hospital) + "@general.example");
    EXPECT_EQ(mails[0].fields.at(au::kRecord), S(theCase));
    EXPECT_EQ(mails[0].fields.at(au::kPatient), S(patient));
}

}  // namespace
}  // namespace functions_test
