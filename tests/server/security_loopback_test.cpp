// The attacks that used to work, tried against a real server over TLS on
// loopback: requests before a log-in, guessing passwords, another
// hospital's case, reading password hashes, writing Personnel, function
// commands without a session, tampering with the audit trail, a link out of
// files/ and a request built to keep the parser busy.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "frame.h"
#include "function_commands.h"
#include "log_in.h"
#include "real_server.h"
#include "record_batch.h"
#include "record_ops.h"
#include "schema.h"

namespace fs = std::filesystem;
using dalvero::cJsonNode;
using dalvero::StringList;
using dalvero::test::RealServer;

namespace {

constexpr int kNotLoggedIn = 11;

bool LogInAs(dalvero::dbServerConnection& db, const std::string& email, const std::string& password) {
    StringList person;
    std::string session;
    return dalvero::LogIn(db, email, password, person, session);
}

std::string Call(dalvero::dbServerConnection& fn, const std::string& command, const std::string& name,
                 const std::string& value) {
    cJsonNode request;
    request.AddMember("ServerCommand", command);
    request.AddMember(name, value);
    dalvero::RunFunctionCommand(fn, request);
    return request.GetString("Error");
}

std::size_t OutboxSize(const RealServer& server) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(server.DataDir() / "outbox")) n += entry.is_regular_file();
    return n;
}

}  // namespace

TEST(Security, BeforeALogInOnlyTheHandshakeTheDateAndTheClientUpdateAreServed) {
    RealServer server(RealServer::Demo);
    std::ofstream(server.DataDir() / "files" / "Clients" / "Dalvero") << "client";
    auto db = server.ConnectData("Dalvero", false);
    ASSERT_TRUE(db->IsConnected());
    EXPECT_GT(db->GetFileInfo("Clients\\Dalvero"), 0);
    EXPECT_TRUE(db->DownloadFile("Clients\\Dalvero", (server.DataDir() / "copy").string()));
    StringList values;
    EXPECT_FALSE(dalvero::ReadRecord(*db, "Personnel", "1", values));
    EXPECT_EQ(db->ErrorCode, kNotLoggedIn);
    EXPECT_TRUE(dalvero::AddRecord(*db, "Personnel", StringList{"f22=me@x", "f23=pw", "f26=Y"}).empty());
    EXPECT_EQ(db->ErrorCode, kNotLoggedIn);
    dalvero::cRecordBatch batch;
    EXPECT_FALSE(batch.Query(db.get(), "Cases", "L1", "", "", 0, 10, "f10", "", "", "F"));
    EXPECT_FALSE(db->PutRecordFile("ProviderEntities", "1", 1, (server.DataDir() / "copy").string()) &&
                 db->ErrorCode == 0);

    // Unknown e-mail and wrong password answer alike.
    const auto& admin = server.DemoUser("Administrator");
    EXPECT_FALSE(LogInAs(*db, admin.email, admin.password + "x"));
    const std::string wrongPassword = db->ErrorText + "/" + std::to_string(db->ErrorCode);
    EXPECT_FALSE(LogInAs(*db, "nobody@nowhere.example", admin.password));
    EXPECT_EQ(db->ErrorText + "/" + std::to_string(db->ErrorCode), wrongPassword);
}

TEST(Security, RepeatedFailuresLockTheAccountUntilTheLockRunsOut) {
    RealServer server(RealServer::Demo);
    server.SetSecurity("LockAfterFailures", "3");
    // Two seconds: the lock counts whole seconds, and a one-second lock could
    // run out before a slow machine sends the next try.
    server.SetSecurity("LockSeconds", "2");
    const auto& planner = server.DemoUser("Discharge Planner");
    auto db = server.ConnectData("Dalvero", false);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(LogInAs(*db, planner.email, "guess" + std::to_string(i)));
    EXPECT_FALSE(LogInAs(*db, planner.email, planner.password)) << "locked, even with the right password";
    EXPECT_NE(db->ErrorText.find("try again later"), std::string::npos) << db->ErrorText;
    std::this_thread::sleep_for(std::chrono::milliseconds(3100));
    EXPECT_TRUE(LogInAs(*db, planner.email, planner.password)) << db->ErrorText;
}

TEST(Security, APlannerCannotReachAnotherHospitalsCaseNorWritePersonnel) {
    RealServer server(RealServer::Demo);
    const auto& planner = server.DemoUser("Discharge Planner");
    std::string elsewhereCase;
    {
        auto store = server.OpenStore();
        const auto hospital = std::to_string(store->Add("ProviderEntities", {{10, "Elsewhere General"}}));
        const auto patient = std::to_string(store->Add("Patients", {{10, "Other"}, {12, "Patient"}, {13, "555443333"}}));
        elsewhereCase = std::to_string(store->Add("Cases", {{10, patient}, {11, hospital}, {22, "X-1"}}));
        store->Add("CaseDoctorsLink", {{10, elsewhereCase}, {11, "1"}, {12, "P"}});
    }
    auto db = server.ConnectData("Dalvero", true, &planner);
    StringList values;
    EXPECT_FALSE(dalvero::ReadRecord(*db, "Cases", elsewhereCase, values));
    EXPECT_EQ(values.CommaText(), "~");
    EXPECT_FALSE(dalvero::UpdateRecord(*db, "Cases", elsewhereCase, StringList{"f14=1"}));
    dalvero::cRecordBatch links;
    ASSERT_TRUE(links.Query(db.get(), "CaseDoctorsLink", "L2", elsewhereCase, "", 0, 10, "f11", "", "", "F"));
    EXPECT_EQ(links.Set->Count, 0);
    auto fn = server.ConnectFunctions(true, &planner);
    EXPECT_NE(Call(*fn, "senddoctornotificationemail", "CaseSeq", elsewhereCase), "");
    EXPECT_NE(Call(*fn, "processneedsmatching", "CaseSeq", elsewhereCase), "");

    // No reply carries a password, and only administrators write Personnel.
    StringList me;
    ASSERT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, planner.email, "", me));
    EXPECT_EQ(me[23], "");
    EXPECT_FALSE(dalvero::UpdateRecord(*db, "Personnel", me[1], StringList{"f26=Y"}));
    EXPECT_FALSE(dalvero::UpdateRecord(*db, "Personnel", "1", StringList{"f23=owned"}));
    EXPECT_TRUE(dalvero::AddRecord(*db, "Personnel", StringList{"f22=x@y", "f23=pw", "f26=Y"}).empty());
    const auto& admin = server.DemoUser("Administrator");
    EXPECT_FALSE(LogInAs(*server.ConnectData("Dalvero", false), admin.email, "owned"));
    EXPECT_EQ(OutboxSize(server), 0u);
}

TEST(Security, FunctionCommandsNeedALiveSession) {
    RealServer server(RealServer::Demo);
    auto fn = server.ConnectFunctions(false);
    EXPECT_NE(Call(*fn, "getcasestatus", "SeqList", "1"), "");
    // A session ended by its log-out is stale at once.
    auto db = server.ConnectData();
    fn->Session = db->Key;
    EXPECT_EQ(Call(*fn, "getcasestatus", "SeqList", "1"), "");
    dalvero::LogOut(*db);
    EXPECT_NE(Call(*fn, "senddoctornotificationemail", "CaseSeq", "1"), "");
    EXPECT_EQ(OutboxSize(server), 0u);
    // A request made to keep the parser busy is answered with an error.
    std::string many = "{ServerCommand:getcasestatus";
    for (int i = 0; i < 128'000; ++i) many += ",m:1";  // under the 1 MB a request may hold
    fn->SendText(many + "}");
    EXPECT_NE(fn->ReplyText.find("too many"), std::string::npos);
}

TEST(Security, VerifyAuditFindsAnEditedAndARemovedRow) {
    RealServer server(RealServer::Demo);
    {
        auto db = server.ConnectData();
        StringList values;
        for (const char* seq : {"1", "2", "3"}) dalvero::ReadRecord(*db, "Cases", seq, values);
    }
    server.Restart();  // a clean stop appends the rows of reads that wait
    const std::string verify = std::string(DALVERO_SERVER_EXE) + " verify-audit " + server.DataDir().string() +
                               " > /dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 0);
    namespace au = dalvero::server::schema::audit;
    dalvero::server::ListRead read;
    read.table = dalvero::server::schema::kAuditTrail;
    auto store = server.OpenStore();
    const auto rows = store->Select(read);
    ASSERT_GE(rows.size(), 3u);
    store->Update(read.table, rows[1].seq, {{au::kAddress, "10.9.9.9"}});
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 1);
    store->Update(read.table, rows[1].seq, {{au::kAddress, rows[1].fields.at(au::kAddress)}});
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 0);
    store->Remove(read.table, rows[1].seq);
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 1);
    // An emptied trail is no intact one.
    for (const auto& row : rows) store->Remove(read.table, row.seq);
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 1);
}

TEST(Security, ALinkOutOfTheFilesFolderIsNotFollowed) {
    RealServer server(RealServer::Demo);
    fs::create_symlink(server.DataDir() / "tls" / "ca.key", server.DataDir() / "files" / "Clients" / "key");
    fs::create_directory_symlink(server.DataDir() / "tls", server.DataDir() / "files" / "tls");
    auto db = server.ConnectData();
    const std::string copy = (server.DataDir() / "stolen").string();
    for (const char* name : {"Clients\\key", "tls\\ca.key"}) {
        EXPECT_FALSE(db->DownloadFile(name, copy)) << name;
        EXPECT_EQ(db->GetFileInfo(name), 0) << name;
    }
    EXPECT_FALSE(fs::exists(copy) && fs::file_size(copy) > 0);
}
