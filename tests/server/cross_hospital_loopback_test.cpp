// A second hospital beside the demo one, and what the demo hospital's
// planner and administrator tried against it over TLS on loopback: a case
// made for its patient, filters and list sizes that test fields they do not
// see, its people's record files, a second account with its administrator's
// e-mail; and what account changes and failed log-ins leave in the trail.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "frame.h"
#include "log_in.h"
#include "password_hash.h"
#include "real_server.h"
#include "record_ops.h"
#include "schema.h"
#include "string_list.h"

namespace {

namespace au = dalvero::server::schema::audit;
using dalvero::StringList;
using dalvero::test::RealServer;

constexpr int kNotLoggedIn = 11;
constexpr int kForbidden = 13;
constexpr char kAdminB[] = "adminb@elsewhere.example";
constexpr char kSsnB[] = "555443333";

class CrossHospital : public ::testing::Test {
protected:
    CrossHospital() {
        auto store = server.OpenStore();
        hospitalB = std::to_string(store->Add("ProviderEntities", {{10, "Elsewhere General"}}));
        adminB = std::to_string(store->Add(
            "Personnel", {{9, hospitalB}, {11, "Bea"}, {13, "Boss"}, {22, kAdminB}, {26, "Y"},
                          {23, dalvero::HashPassword("pw-b", RealServer::kPasswordIterations)}}));
        patientB = std::to_string(
            store->Add("Patients", {{10, "Other"}, {12, "Patient"}, {13, kSsnB}, {14, "19600101"}, {16, "private"}}));
        store->Add("Cases", {{10, patientB}, {11, hospitalB}, {22, "X-1"}});
        store->WriteRecordFile("Personnel", std::stoll(adminB), 1, {"signature", 0});
    }

    // The raw reply to a list query of field f10.
    static std::string Query(dalvero::dbServerConnection& db, const std::string& table, const std::string& index,
                             const std::string& key, const std::string& filter) {
        db.Exchange(dalvero::frame::cmd::kQuery, 0,
                    dalvero::ToCommaText({"V2", table, index, key, "", "1", "100", "f10", "", filter, "F"}));
        return db.ReplyText;
    }

    // "action table record patient hospital detail" of the trail's rows of an action.
    std::vector<std::string> Trail(const std::string& action) const {
        dalvero::server::ListRead read;
        read.table = dalvero::server::schema::kAuditTrail;
        read.where = {{au::kAction, dalvero::server::CompareOp::Equal, action, false}};
        std::vector<std::string> rows;
        for (const auto& row : server.OpenStore()->Select(read))
            rows.push_back(row.Field(au::kTable) + " " + row.Field(au::kRecord) + " " + row.Field(au::kPatient) + " " +
                           row.Field(au::kHospital) + " " + row.Field(au::kDetail));
        return rows;
    }

    RealServer server{RealServer::Demo};
    std::string hospitalB, adminB, patientB;
};

TEST_F(CrossHospital, ACaseNamesOnlyAPatientSeenWholeNewOrFoundByTheFullSocialSecurityNumber) {
    auto db = server.ConnectData("Dalvero", true, &server.DemoUser("Discharge Planner"));
    StringList values;
    EXPECT_FALSE(dalvero::ReadRecord(*db, "Patients", patientB, values));
    EXPECT_TRUE(dalvero::AddRecord(*db, "Cases", StringList{"f10=" + patientB, "f22=x"}).empty());
    EXPECT_EQ(db->ErrorCode, kForbidden);
    EXPECT_FALSE(dalvero::ReadRecord(*db, "Patients", patientB, values)) << "the refused case gave no sight";


    // Intake: found by the whole number, the patient may be named.
    ASSERT_TRUE(dalvero::FindRecord(*db, "Patients", 3, kSsnB, "", values));
    EXPECT_EQ(values[16], "") << "only what intake needs";
    const std::string theCase = dalvero::AddRecord(*db, "Cases", StringList{"f10=" + patientB, "f22=x"});
    ASSERT_FALSE(theCase.empty()) << db->ErrorText;
    EXPECT_TRUE(dalvero::ReadRecord(*db, "Patients", patientB, values));
    EXPECT_EQ(values[16], "private");
    // A brand-new patient too.
    const std::string fresh = dalvero::AddRecord(*db, "Patients", StringList{"f10=New", "f13=111223333"});
    EXPECT_FALSE(dalvero::AddRecord(*db, "Cases", StringList{"f10=" + fresh}).empty()) << db->ErrorText;

    const auto adds = Trail("add");
    const std::string added = "Cases " + theCase + " " + patientB + " ";
    EXPECT_NE(std::find_if(adds.begin(), adds.end(), [&](const std::string& row) { return row.rfind(added, 0) == 0; }),
              adds.end());
}

TEST_F(CrossHospital, ConditionsAndListSizesTellNothingOfFieldsTheReaderDoesNotSee) {
    auto db = server.ConnectData();  // the demo hospital's administrator
    // The hash is never compared; other hospitals' e-mails select nothing.
    EXPECT_NE(Query(*db, "Personnel", "L2", "Boss", "f23>=").find("ErrorCode=" + std::to_string(kForbidden)),
              std::string::npos);
    EXPECT_EQ(Query(*db, "Personnel", "L2", "Boss", "f13=Boss,f22>="), "0,0");
    EXPECT_NE(Query(*db, "Personnel", "L2", "Boss", "f13=Boss"), "0,0") << "the look-up's own fields select";
    // A withheld patient is not counted, whatever the filter.
    EXPECT_EQ(Query(*db, "Patients", "L1", patientB, "f13>=0"), "0,0");
    EXPECT_EQ(Query(*db, "Patients", "L1", patientB, ""), "0,0");
    // Found by number, only intake's fields may be tested.
    EXPECT_NE(Query(*db, "Patients", "L3", kSsnB, "f14>=1"), "0,0");
    EXPECT_EQ(Query(*db, "Patients", "L3", kSsnB, "f16>=a"), "0,0");
}

TEST_F(CrossHospital, RecordFilesFollowTheirRecord) {
    const std::filesystem::path file = server.DataDir() / "upload.bin";
    std::ofstream(file) << "forged";
    auto admin = server.ConnectData();
    EXPECT_FALSE(admin->PutRecordFile("Personnel", adminB, 2, file.string()) && admin->ErrorCode == 0);
    auto planner = server.ConnectData("Dalvero", true, &server.DemoUser("Discharge Planner"));
    const std::string copy = (server.DataDir() / "copy.bin").string();
    EXPECT_FALSE(planner->GetRecordFile("Personnel", adminB, 1, copy) && std::filesystem::file_size(copy) > 0);
    EXPECT_FALSE(server.OpenStore()->ReadRecordFile("Personnel", std::stoll(adminB), 2));
}

TEST_F(CrossHospital, AnE_mailLogsInOneAccountOnlyAndAccountChangesAreAudited) {
    auto db = server.ConnectData();
    const std::string mine = dalvero::AddRecord(*db, "Personnel", StringList{"f11=Al", "f22=al@demo.example"});
    ASSERT_FALSE(mine.empty()) << db->ErrorText;
    EXPECT_TRUE(dalvero::AddRecord(*db, "Personnel", StringList{"f22=ADMINB@Elsewhere.example"}).empty());
    EXPECT_EQ(db->ErrorCode, kForbidden);
    EXPECT_TRUE(dalvero::AddRecord(*db, "Personnel", StringList{"f22=Al@Demo.Example"}).empty());
    EXPECT_FALSE(dalvero::UpdateRecord(*db, "Personnel", mine, StringList{"f22=" + std::string(kAdminB)}));
    EXPECT_TRUE(dalvero::UpdateRecord(*db, "Personnel", mine, StringList{"f22=AL@demo.example"})) << "its own";
    EXPECT_TRUE(dalvero::UpdateRecord(*db, "Personnel", mine, StringList{"f26=Y", "f23=s3cret-value"}));
    EXPECT_TRUE(dalvero::DeleteRecord(*db, "Personnel", mine));

    const std::string demoHospital = "1";  // the demo's first record
    EXPECT_EQ(Trail("add"), (std::vector<std::string>{"Personnel " + mine + "  " + demoHospital + " f11,f22"}));
    EXPECT_EQ(Trail("update"), (std::vector<std::string>{"Personnel " + mine + "  " + demoHospital + " f22",
                                                         "Personnel " + mine + "  " + demoHospital + " f23,f26"}));
    EXPECT_EQ(Trail("delete"), (std::vector<std::string>{"Personnel " + mine + "  " + demoHospital + " "}));

    // A failed log-in is its account's hospital's to see.
    auto guest = server.ConnectData("Dalvero", false);
    StringList person;
    std::string session;
    EXPECT_FALSE(dalvero::LogIn(*guest, kAdminB, "wrong", person, session));
    const auto failed = Trail("login-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], "   " + hospitalB + " wrong password");
}

TEST_F(CrossHospital, ALogOutOrALostRoleHoldsFromTheNextRequestOnEveryConnection) {
    auto db = server.ConnectData();
    dalvero::dbServerConnection other("127.0.0.1", std::to_string(server.DataPort()), "Dalvero", db->Key, true, 30,
                                      server.CaFile());
    StringList values;
    ASSERT_TRUE(dalvero::ReadRecord(other, "Personnel", adminB, values)) << other.ErrorText;
    // Losing the administrator's role stops the next write at once.
    StringList me;
    ASSERT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, RealServer::DemoAdministrator().email, "", me));
    server.OpenStore()->Update("Personnel", std::stoll(me[1]), {{26, "N"}});
    EXPECT_TRUE(dalvero::AddRecord(other, "ProviderTypes", StringList{"f10=Forged"}).empty());
    EXPECT_EQ(other.ErrorCode, kForbidden);
    dalvero::LogOut(*db);
    EXPECT_FALSE(dalvero::ReadRecord(other, "Personnel", adminB, values));
    EXPECT_EQ(other.ErrorCode, kNotLoggedIn);
}

}  // namespace
