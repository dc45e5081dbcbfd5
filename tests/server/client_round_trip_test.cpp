// The client's own record operations and file transfers against a real
// server: the replies must read the way the client's readers expect them.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "dataserver_fixture.h"
#include "db_server_connection.h"
#include "interaction_hooks.h"
#include "log_in.h"
#include "password_hash.h"
#include "real_server.h"
#include "record_batch.h"
#include "record_ops.h"
#include "request_error.h"
#include "table_catalogue.h"

namespace dalvero::test {
namespace {

namespace fs = std::filesystem;

// The small hospital of the DataServer tests in a real server's store, and a
// connection to it logged in as its administrator.
class ClientRoundTripTest : public ::testing::Test {
protected:
    ClientRoundTripTest() : data(BuildHospital(*server.OpenStore())), db(server.ConnectData("Dalvero", false)) {}

    void SetUp() override {
        StringList user;
        std::string session;
        ASSERT_TRUE(LogIn(*db, "admin@mercy.test", "secret", user, session)) << db->ErrorText;
    }

    static std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    RealServer server{RealServer::Empty};
    HospitalData data;
    std::unique_ptr<dbServerConnection> db;
};

// Starts logged out.
class ClientLogInTest : public ClientRoundTripTest {
protected:
    void SetUp() override {}
};

TEST_F(ClientLogInTest, HandshakeAndLogIn) {
    ASSERT_TRUE(db->IsConnected());
    EXPECT_EQ(db->RemoteIP, "127.0.0.1");
    EXPECT_GT(db->ServerDate, 40000.0);

    StringList user;
    std::string session;
    // Before a log-in the person's record cannot be read; a wrong password
    // gets the same answer as an unknown e-mail.
    EXPECT_FALSE(FindRecord(*db, "Personnel", catalogue::personnel::kListByEmail, "admin@mercy.test", "", user));
    EXPECT_EQ(db->ErrorCode, static_cast<int>(server::ErrorCode::NotLoggedIn));
    EXPECT_FALSE(LogIn(*db, "admin@mercy.test", "Secret", user, session));
    const std::string wrongPassword = db->ErrorText + "/" + std::to_string(db->ErrorCode);
    EXPECT_FALSE(LogIn(*db, "nobody@mercy.test", "secret", user, session));
    EXPECT_EQ(db->ErrorText + "/" + std::to_string(db->ErrorCode), wrongPassword);
    EXPECT_EQ(db->ErrorText, "Invalid login");
    EXPECT_TRUE(user.empty());

    // The e-mail matches without regard to case; item n is field n, and the
    // stored password never comes back.
    ASSERT_TRUE(LogIn(*db, "ADMIN@mercy.test", "secret", user, session)) << db->ErrorText;
    ASSERT_EQ(user.size(), 1u + catalogue::personnel::kSpecialty);
    EXPECT_EQ(user[1], data.admin);
    EXPECT_EQ(user[9], data.mercy);
    EXPECT_EQ(user[23], "");
    EXPECT_EQ(user[25] + user[26], "YY");  // both role flags
    EXPECT_EQ(session.size(), 64u);
    // The legacy clear password was replaced by a hash at the policy's count.
    const auto stored = server.OpenStore()->Read("Personnel", std::stoll(data.admin));
    EXPECT_EQ(PasswordHashIterations(stored->fields.at(23)), RealServer::kPasswordIterations);

    // A reconnection goes on as the same person through the session.
    db->Reconnect();
    EXPECT_TRUE(FindRecord(*db, "Personnel", catalogue::personnel::kListByEmail, "admin@mercy.test", "", user));
    LogOut(*db);
    db->Reconnect();
    EXPECT_FALSE(FindRecord(*db, "Personnel", catalogue::personnel::kListByEmail, "admin@mercy.test", "", user));
}

TEST_F(ClientRoundTripTest, WritesAndReadsKeepLineBreaksAndEmptyFields) {
    const std::string seq =
        AddRecord(*db, "Cases.def", StringList{"f10=" + data.pat1, "f1001=first line\r\nsecond line", "f14=~~~",
                                              "f34=1 Main St, \"B\""});
    ASSERT_FALSE(seq.empty()) << db->ErrorText;
    ASSERT_EQ(seq.find_first_not_of("0123456789"), std::string::npos) << seq;

    StringList values;
    ASSERT_TRUE(ReadRecord(*db, "Cases", seq, values, "", "f1001"));
    EXPECT_EQ(values[10], data.pat1);
    EXPECT_EQ(values[14], "");
    EXPECT_EQ(values[34], "1 Main St, \"B\"");
    EXPECT_EQ(values[values.size() - 1], "first line\r\nsecond line");

    ASSERT_TRUE(UpdateRecord(*db, "Cases", seq, StringList{"f24=Y", "f10="}));
    std::string fields = "all";
    ASSERT_TRUE(ReadRecordFields(*db, "Cases", seq, fields));
    const StringList all(ParseCommaText(fields));
    EXPECT_EQ(all.Value("f24"), "Y");
    EXPECT_EQ(all.Value("f10"), "");
    EXPECT_EQ(all.Value("f34"), "1 Main St, \"B\"") << "fields not named are left alone";
    EXPECT_EQ(all.Value("f1001"), "first line\r\nsecond line");

    ASSERT_TRUE(DeleteRecord(*db, "Cases", seq));
    EXPECT_FALSE(ReadRecord(*db, "Cases", seq, values));
    EXPECT_EQ(values.CommaText(), "~");
    EXPECT_FALSE(DeleteRecord(*db, "Cases", seq));
    EXPECT_EQ(db->ErrorCode, static_cast<int>(server::ErrorCode::NotFound));
    EXPECT_FALSE(UpdateRecord(*db, "Cases", seq, StringList{"f24=N"}));
    EXPECT_FALSE(UpdateRecord(*db, "NoSuchTable", seq, StringList{"f10=1"}));
    EXPECT_TRUE(AddRecord(*db, "Cases", StringList{"f99=1"}).empty());
}

TEST_F(ClientRoundTripTest, FieldValuesThatLookLikeErrorItemsAreData) {
    // A bed "Error=see note" or a phone "error=see HR" once made the record
    // unreadable and its user unable to log in.
    namespace p = catalogue::personnel;
    const std::vector<std::string> tricky{"Error=see note", "error=see HR", "ErrorCode=7"};
    const auto items = [&](int first, std::size_t shift) {
        StringList out;
        for (std::size_t i = 0; i < tricky.size(); ++i)
            out.push_back("f" + std::to_string(first + static_cast<int>(i)) + "=" + tricky[(i + shift) % 3]);
        return out;
    };
    StringList added = items(p::kPhone, 0);
    added.push_back("f" + std::to_string(p::kEmail) + "=tricky@mercy.test");
    const std::string seq = AddRecord(*db, "Personnel", added);
    ASSERT_FALSE(seq.empty()) << db->ErrorText;

    StringList user;
    ASSERT_TRUE(FindRecord(*db, "Personnel", p::kListByEmail, "tricky@mercy.test", "", user)) << db->ErrorText;
    ASSERT_EQ(user.size(), 1u + p::kSpecialty);
    EXPECT_EQ(std::vector<std::string>(user.begin() + p::kPhone, user.begin() + p::kPhone + 3), tricky);

    ASSERT_TRUE(UpdateRecord(*db, "Personnel", seq, items(p::kPhone, 1))) << db->ErrorText;
    StringList values;
    ASSERT_TRUE(ReadRecord(*db, "Personnel", seq, values)) << db->ErrorText;
    EXPECT_EQ(values[p::kPhone], tricky[1]);
    EXPECT_EQ(values[p::kEmail], "tricky@mercy.test");

    const std::string names = "f19,f20,f21";
    std::string result;
    ASSERT_TRUE(GetRecordFields(*db, "Personnel", seq, names, result)) << result;
    EXPECT_EQ(StringList(ParseCommaText(result)).Value("f21"), tricky[0]);
    std::string fields = names;
    ASSERT_TRUE(ReadRecordFields(*db, "Personnel", seq, fields)) << fields;
    EXPECT_EQ(StringList(ParseCommaText(fields)).Value("f20"), tricky[2]);
    fields = names;
    ASSERT_TRUE(FindRecordFields(*db, "Personnel", p::kListByEmail, "tricky@mercy.test", "", fields)) << fields;
    EXPECT_EQ(StringList(ParseCommaText(fields)).Value("f19"), tricky[1]);

    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Personnel", "L4", "tricky@mercy.test", "", 0, 10, names, "", "", "F"));
    ASSERT_EQ(batch.Set->Count, 1);
    EXPECT_EQ(batch.Set->ReadField("f20"), tricky[2]);

    ASSERT_TRUE(DeleteRecord(*db, "Personnel", seq)) << db->ErrorText;
    // The server's own refusal still reads as one.
    EXPECT_FALSE(ReadRecord(*db, "Personnel", seq, values));
    EXPECT_FALSE(ReadRecord(*db, "NoSuchTable", seq, values));
    EXPECT_EQ(db->ErrorCode, static_cast<int>(server::ErrorCode::UnknownTable));
}

TEST_F(ClientRoundTripTest, RequestsFromInsideARequestAreRefused) {
    // A progress callback or the UI pump during a reconnection may start a
    // request; its bytes must not land in the middle of the running one.
    const fs::path source = server.DataDir() / "files" / "Clients" / "Dalvero";
    fs::create_directories(source.parent_path());
    const std::string content(120'000, 'x');
    std::ofstream(source, std::ios::binary) << content;
    std::vector<bool> inner;
    std::string innerError;
    const auto meddle = [&] {
        StringList values;
        inner.push_back(ReadRecord(*db, "Patients", data.pat1, values));
        innerError = db->ErrorText;
    };
    const fs::path copy = server.DataDir() / "Dalvero.tmp";
    ASSERT_TRUE(db->DownloadFile("Clients\\Dalvero", copy.string(), [&](long long, long long) { meddle(); }));
    EXPECT_EQ(ReadFile(copy), content);
    ASSERT_FALSE(inner.empty());
    EXPECT_EQ(std::count(inner.begin(), inner.end(), true), 0);
    EXPECT_EQ(innerError, "Another request is in progress on this connection");

    inner.clear();
    SetUiHooks({.showMessage = {}, .processEvents = meddle});
    db->Connected = false;
    StringList values;
    const bool outer = ReadRecord(*db, "Patients", data.pat1, values);
    SetUiHooks({});
    EXPECT_TRUE(outer) << db->ErrorText;
    EXPECT_EQ(inner, std::vector<bool>{false});
    EXPECT_EQ(values[1], data.pat1);
}

TEST_F(ClientRoundTripTest, SelectedFieldsWithJoinsAndNotes) {
    // As the case edit screen fills itself.
    std::string result;
    ASSERT_TRUE(GetRecordFields(*db, "Cases", data.openC1, "f1001,f12,f22,cm11,cm13,ip10,P10,P12", result,
                                "P=Patients:f10,cm=Personnel:f23,ip=InsuranceTypes:f19"));
    const StringList caseValues(ParseCommaText(result));
    EXPECT_EQ(caseValues.Value("Seq"), data.openC1);
    EXPECT_EQ(caseValues.Value("f1001"), "Pneumonia\r\nfollow-up");
    EXPECT_EQ(caseValues.Value("f22"), "C-100");
    EXPECT_EQ(caseValues.Value("cm13"), "Miller");
    EXPECT_EQ(caseValues.Value("P12"), "One");

    std::string callList = "f1,p10,p12";
    ASSERT_TRUE(FindRecordFields(*db, "Cases", 7, "C-100", data.mercy, callList, "p=Patients:f10"));
    EXPECT_EQ(StringList(ParseCommaText(callList)).Value("f1"), data.openC1);
    callList = "f1";
    EXPECT_FALSE(FindRecordFields(*db, "Cases", 7, "C-999", data.mercy, callList));
    EXPECT_EQ(callList, "~");
}

TEST_F(ClientRoundTripTest, LogoAndClientFilesTravelWhole) {
    const fs::path logo = server.DataDir() / "Logo.jpg";
    std::string jpeg(70'000, '\0');
    for (std::size_t i = 0; i < jpeg.size(); ++i) jpeg[i] = static_cast<char>(i % 251);
    std::ofstream(logo, std::ios::binary) << jpeg;
    const fs::path copy = server.DataDir() / "tmp.jpg";
    EXPECT_FALSE(db->GetRecordFile("ProviderEntities", data.mercy, catalogue::providers::kLogoSlot, copy.string()));
    ASSERT_TRUE(db->PutRecordFile("ProviderEntities", data.mercy, catalogue::providers::kLogoSlot, logo.string()));
    fs::remove(copy);
    ASSERT_TRUE(db->GetRecordFile("ProviderEntities", data.mercy, catalogue::providers::kLogoSlot, copy.string()));
    EXPECT_EQ(ReadFile(copy), jpeg);

    fs::create_directories(server.DataDir() / "files" / "Clients");
    fs::copy_file(logo, server.DataDir() / "files" / "Clients" / "Dalvero");
    EXPECT_NE(db->GetFileInfo("Clients\\Dalvero"), 0);
    EXPECT_EQ(db->FileSize, static_cast<std::int32_t>(jpeg.size()));
    EXPECT_EQ(db->GetFileInfo("Clients\\Missing"), 0);
    const fs::path downloaded = server.DataDir() / "Dalvero.tmp";
    ASSERT_TRUE(db->DownloadFile("Clients\\Dalvero", downloaded.string()));
    EXPECT_EQ(ReadFile(downloaded), jpeg);
    EXPECT_FALSE(db->DownloadFile("..\\dalvero.db", downloaded.string()));
    // The connection is still in step after the refusal.
    StringList values;
    EXPECT_TRUE(ReadRecord(*db, "Patients", data.pat1, values));
}

}  // namespace
}  // namespace dalvero::test
