// Who may see and change what, through the DataServer's request handling:
// hospitals are kept apart, shared data is written by administrators only,
// and patient data leaves a trail.

#include <gtest/gtest.h>

#include "audit_trail.h"
#include "authorized_storage.h"
#include "dataserver_fixture.h"
#include "password_hash.h"
#include "request_error.h"
#include "schema.h"
#include "session_store.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::test {
namespace {

using Strings = std::vector<std::string>;
namespace cmd = frame::cmd;
namespace sub = frame::sub;
using server::ErrorCode;

class AccessTest : public DataServerTest {
protected:
    // A second connection, logged in as someone else (the password is set here).
    std::unique_ptr<server::DataServerSession> As(const std::string& personSeq, const std::string& email) {
        storage->Update("Personnel", std::stoll(personSeq), {{23, HashPassword("pw", TestSecurity().passwordIterations)}});
        auto other = std::make_unique<server::DataServerSession>(*storage, *logins, *trail, dir.Path(), "10.0.0.9");
        Send(*other, cmd::kHandshake, 0, "ProgramID=Dalvero");
        const std::string reply = Send(*other, cmd::kLogIn, 0, ToCommaText({"Email=" + email, "Password=pw"}));
        EXPECT_TRUE(other->LoggedIn()) << reply;
        return other;
    }
    static std::string Send(server::DataServerSession& s, std::uint32_t command, std::uint32_t subCommand,
                            const std::string& payload) {
        return s.Handle(frame::Header{static_cast<std::uint32_t>(payload.size() + 1), command, subCommand}, payload);
    }
    static std::string Rec(server::DataServerSession& s, std::uint32_t subCommand, const Strings& items) {
        return Send(s, cmd::kRecord, subCommand, ToCommaText(items));
    }
    static QueryPage List(server::DataServerSession& s, const std::string& table, const std::string& index,
                          const std::string& key) {
        return ReadQueryReply(Send(s, cmd::kQuery, 0, QueryText(table, index, key, "", 1, 100, "f10")));
    }
    static constexpr int kForbidden = static_cast<int>(ErrorCode::Forbidden);
    static constexpr int kNotFound = static_cast<int>(ErrorCode::NotFound);
};

TEST_F(AccessTest, AnotherHospitalsCaseAndEverythingHangingFromItDoNotExist) {
    auto jon = As(data.judeWorker, "jon@jude.test");  // a planner of St Jude
    EXPECT_FALSE(List(*jon, "Cases", "L4", data.mercy).records);
    EXPECT_FALSE(List(*jon, "Cases", "L2", data.pat1).records);
    EXPECT_EQ(List(*jon, "Cases", "L2", data.pat2).Column(2), (Strings{data.judeC5}));  // only St Jude's stay
    EXPECT_EQ(Rec(*jon, sub::kRead, {"TableName=Cases", "Seq=" + data.openC1}), "~");
    EXPECT_EQ(ErrorCodeOf(Rec(*jon, sub::kUpdate, {"TableName=Cases", "Seq=" + data.openC1, "f14=9"})), kNotFound);
    EXPECT_EQ(ErrorCodeOf(Rec(*jon, sub::kDelete, {"TableName=Cases", "Seq=" + data.openC1})), kNotFound);
    for (const auto& [table, owner] : std::vector<std::pair<std::string, std::string>>{
             {"CaseNeeds", data.openC1}, {"CaseNeedsQuote", data.needN1}, {"CaseFamily", data.openC1},
             {"CaseDoctorsLink", data.openC1}, {"DiagCodeDetail", data.openC1}})
        EXPECT_FALSE(List(*jon, table, "L2", owner).records) << table;
    EXPECT_EQ(Rec(*jon, sub::kRead, {"TableName=CaseNeedsQuote", "Seq=" + data.quoteW}), "~");
    {
        // The children of many cases at once (the case list's statuses): only
        // those of St Jude's case are there, in lists and counts alike.
        namespace cat = catalogue;
        using server::CompareOp;
        const std::int64_t judeNeed = storage->Add("CaseNeeds", {{cat::case_needs::kCase, data.judeC5}});
        const server::Principal jude = server::PrincipalOf(*storage->Read("Personnel", std::stoll(data.judeWorker)), "");
        server::AuthorizedStorage view(*storage, jude, [](std::string_view text) { return std::string(text); }, *trail);
        const auto needs =
            view.Select({"CaseNeeds", {{cat::case_needs::kCase, CompareOp::OneOf, "", false, {data.openC1, data.judeC5}}}});
        ASSERT_EQ(needs.size(), 1u);
        EXPECT_EQ(needs.front().seq, judeNeed);
        const std::string provider =
            storage->Read("CaseNeedsQuote", std::stoll(data.quoteW))->Field(cat::quotes::kProvider);
        EXPECT_EQ(view.Count("CaseNeedsQuote",
                             {{server::schema::quote_need::kNeed, CompareOp::OneOf, "", false, {data.needN1}},
                              {cat::quotes::kProvider, CompareOp::Equal, provider, false}}),
                  0);
    }
    // Children are read through their case, never wholesale.
    EXPECT_EQ(ErrorCodeOf(Send(*jon, cmd::kQuery, 0, QueryText("CaseNeeds", "L1", "", "", 1, 100, "f10"))), kForbidden);
    EXPECT_EQ(ErrorCodeOf(Rec(*jon, sub::kAdd, {"TableName=CaseNeeds", "f10=" + data.openC1})), kForbidden);
    EXPECT_EQ(ErrorCodeOf(Rec(*jon, sub::kAdd, {"TableName=Cases", "f10=" + data.pat2, "f11=" + data.mercy})),
              kForbidden);
    EXPECT_EQ(ErrorCodeOf(Rec(*jon, sub::kUpdate, {"TableName=Cases", "Seq=" + data.judeC5, "f11=" + data.mercy})),
              kForbidden);
    EXPECT_EQ(storage->Read("Cases", std::stoll(data.openC1))->fields.at(14), "12");  // untouched

    // A patient of Mercy only: not there by number; by Social Security
    // number only what intake needs.
    storage->Update("Patients", std::stoll(data.pat1), {{16, "private detail"}});
    EXPECT_EQ(Rec(*jon, sub::kRead, {"TableName=Patients", "Seq=" + data.pat1}), "~");
    const Strings found = ParseCommaText(Rec(*jon, sub::kRead, {"TableName=Patients", "List=3", "Key=123456789"}));
    ASSERT_GT(found.size(), 16u);
    EXPECT_EQ(found[10] + found[12] + found[14], "PatOne19500102");
    EXPECT_EQ(found[16], "");
    // Mercy's people only as the physician look-up shows them.
    const Strings admin = ParseCommaText(Rec(*jon, sub::kRead, {"TableName=Personnel", "Seq=" + data.admin}));
    ASSERT_GT(admin.size(), 26u);
    EXPECT_EQ(admin[11], "Ann");
    EXPECT_EQ(admin[22] + admin[26], "");
    EXPECT_FALSE(List(*jon, "PreferredProviders", "L2", data.mercy).records);
}

TEST_F(AccessTest, OnlyAdministratorsWriteSharedDataAndPersonnel) {
    auto carl = As(data.worker1, "carl@mercy.test");  // a Mercy planner, not an administrator
    for (const Strings& write : std::vector<Strings>{
             {"TableName=Personnel", "f11=Mallory", "f22=m@mercy.test", "f23=x", "f26=Y"},
             {"TableName=PreferredProviders", "f10=" + data.mercy, "f11=" + data.sunrise},
             {"TableName=ProviderCategories", "f12=Fake"}})
        EXPECT_EQ(ErrorCodeOf(Rec(*carl, sub::kAdd, write)), kForbidden) << write[0];
    EXPECT_EQ(ErrorCodeOf(Rec(*carl, sub::kUpdate, {"TableName=Personnel", "Seq=" + data.admin, "f23=owned"})),
              kForbidden);
    EXPECT_EQ(ErrorCodeOf(Rec(*carl, sub::kUpdate, {"TableName=Personnel", "Seq=" + data.worker1, "f26=Y"})),
              kForbidden);
    EXPECT_EQ(ErrorCodeOf(Rec(*carl, sub::kUpdate, {"TableName=ProviderEntities", "Seq=" + data.alpha, "f21=me@x"})),
              kForbidden);
    // Their own password they may change.
    EXPECT_EQ(Rec(*carl, sub::kUpdate, {"TableName=Personnel", "Seq=" + data.worker1, "f23=n3w pass"}), "OK");
    EXPECT_TRUE(VerifyPassword("n3w pass", storage->Read("Personnel", std::stoll(data.worker1))->fields.at(23)));
    // Sessions and the HL7 listener's tables are nobody's business; the trail
    // is read by administrators only.
    for (const char* table : {"Sessions", "AdtMessages", "PatientRecordNumbers"}) {
        EXPECT_NE(ErrorCodeOf(Send(*carl, cmd::kQuery, 0, QueryText(table, "L1", "", "", 1, 10, "f10"))), 0) << table;
        EXPECT_EQ(ErrorCodeOf(Record(sub::kAdd, {std::string("TableName=") + table, "f11=1"})), kForbidden) << table;
    }
    EXPECT_EQ(ErrorCodeOf(Send(*carl, cmd::kQuery, 0, QueryText("AuditTrail", "L1", "", "", 1, 10, "f14"))),
              kForbidden);
    // An administrator writes only their own hospital's people, and no one the trail.
    EXPECT_EQ(ErrorCodeOf(Record(sub::kAdd, {"TableName=Personnel", "f9=" + data.stJude, "f26=Y"})), kForbidden);
    EXPECT_EQ(ErrorCodeOf(Record(sub::kUpdate, {"TableName=Personnel", "Seq=" + data.judeWorker, "f26=Y"})),
              kForbidden);
    EXPECT_EQ(ErrorCodeOf(Record(sub::kUpdate, {"TableName=ProviderEntities", "Seq=" + data.stJude, "f10=Ours"})),
              kForbidden);
    EXPECT_EQ(Record(sub::kUpdate, {"TableName=ProviderEntities", "Seq=" + data.mercy, "f16=555"}), "OK");
    EXPECT_EQ(ErrorCodeOf(Record(sub::kAdd, {"TableName=AuditTrail", "f14=login"})), kForbidden);
}

TEST_F(AccessTest, PatientDataLeavesATrailWhoseChainShowsEditsAndGaps) {
    Record(sub::kRead, {"TableName=Cases", "Seq=" + data.openC1});
    Record(sub::kUpdate, {"TableName=CaseNeeds", "Seq=" + data.needN1, "f15=Home"});
    Query("ProviderEntities", "L2", "", "", 1, 10, "f10");  // shared data leaves no trail
    // A write's row is in at once, with the write; reads' rows follow.
    trail->Flush();

    namespace au = server::schema::audit;
    server::ListRead read;
    read.table = server::schema::kAuditTrail;
    const auto all = storage->Select(read);
    Strings rows;
    for (const auto& row : all)
        rows.push_back(row.Field(au::kAction) + " " + row.Field(au::kTable) + " " + row.Field(au::kPatient));
    EXPECT_EQ(rows, (Strings{"login Personnel ", "update CaseNeeds " + data.pat1, "read Cases " + data.pat1}));
    EXPECT_EQ(all.front().Field(au::kEmail), "admin@mercy.test");
    EXPECT_EQ(all.front().Field(au::kAddress), "127.0.0.1");
    EXPECT_TRUE(server::VerifyAuditTrail(*storage).intact);

    // An edit breaks the row's own hash; a removal leaves a gap.
    storage->Update(server::schema::kAuditTrail, all[1].seq, {{au::kPatient, data.pat2}});
    EXPECT_FALSE(server::VerifyAuditTrail(*storage).intact);
    EXPECT_EQ(server::VerifyAuditTrail(*storage).firstBad, all[1].seq);
    storage->Update(server::schema::kAuditTrail, all[1].seq, {{au::kPatient, data.pat1}});
    EXPECT_TRUE(server::VerifyAuditTrail(*storage).intact);
    storage->Remove(server::schema::kAuditTrail, all[1].seq);
    const server::AuditCheck gap = server::VerifyAuditTrail(*storage);
    EXPECT_FALSE(gap.intact);
    EXPECT_EQ(gap.firstBad, all[2].seq);
}

TEST(SessionStoreTest, EveryCheckIsAUseHoweverSeldomTheStoreIsWritten) {
    TempDir dir{"dalvero-sessions"};
    const auto storage = TestStore(dir.Path()).Open();
    server::SessionStore sessions(*storage, 1, 8);  // a minute's idle time
    const std::string token = sessions.Open(7, "10.0.0.1", 1000);
    for (std::time_t at = 1040; at <= 1400; at += 40) EXPECT_TRUE(sessions.Check(token, at)) << at;
    EXPECT_FALSE(sessions.Check(token, 1460));
}

}  // namespace
}  // namespace dalvero::test
