// The real dalvero-server on loopback, reached through the client's own data
// layer: lists and commands on the demo hospital, bad input from raw sockets,
// and a link out of files/.

#include <filesystem>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "frame.h"
#include "function_commands.h"
#include "json_node.h"
#include "real_server.h"
#include "record_batch.h"
#include "raw_connection.h"
#include "secure_socket.h"
#include "tls_context.h"

using dalvero::cJsonNode;
using dalvero::cRecordBatch;
using dalvero::test::RawConnection;
using dalvero::test::RealServer;

namespace {

// The demo hospital, the first record the demo adds.
constexpr char kDemoHospital[] = "1";

// A command written by hand, with the connection's session as its first member.
std::string FunctionReply(dalvero::dbServerConnection& fn, const std::string& text) {
    fn.SendText("{Session:" + fn.Session + "," + text.substr(1));
    return fn.ReplyText;
}

}  // namespace

TEST(ServerLoopback, OpenCaseListWithJoinsAndStatusesOfTheDemoHospital) {
    RealServer server(RealServer::Demo);
    auto db = server.ConnectData();
    auto fn = server.ConnectFunctions();
    ASSERT_TRUE(db->IsConnected());
    ASSERT_TRUE(fn->IsConnected());

    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Cases", "L4", kDemoHospital, "", 0, 1000,
                            "f10,f12,f13,f14,f15,f18,f19,f20,f21,f22,f23,f24,f25,f30,P10,P11,P12,P13,P14,P15,cm11,cm13",
                            "P=Patients:f10,Ip=InsuranceTypes:f19,Is=InsuranceTypes:f20,cm=Personnel:f23", "", "F"));
    ASSERT_TRUE(batch.Set->First());
    std::vector<std::string> seqs;
    do {
        EXPECT_NE(batch.Set->ReadField("f18"), "Y") << "closed case in the open list";
        EXPECT_FALSE(batch.Set->ReadField("P12").empty()) << "patient join";
        EXPECT_FALSE(batch.Set->ReadField("cm11").empty()) << "case worker join";
        seqs.push_back(batch.Set->Seq);
    } while (batch.Set->Next());
    EXPECT_EQ(static_cast<int>(seqs.size()), batch.Set->Position);

    cJsonNode request("", "", nullptr);
    dalvero::BuildGetCaseStatus(request, seqs);
    ASSERT_TRUE(dalvero::RunFunctionCommand(*fn, request));
    EXPECT_EQ(request.GetString("Error"), "");
    cJsonNode* statuses = request.GetMember("StatusList");
    ASSERT_NE(statuses, nullptr);
    EXPECT_EQ(static_cast<std::size_t>(statuses->Count()), seqs.size());
    for (const auto& seq : seqs) {
        const std::string status = statuses->GetString(seq);
        ASSERT_FALSE(status.empty()) << "case " << seq;
        EXPECT_TRUE(status[0] >= '1' && status[0] <= '3') << status;
    }
}

TEST(ServerLoopback, BadInputGetsAnErrorOrAClosedConnectionAndOthersAreStillServed) {
    RealServer server(RealServer::Demo);
    auto fn = server.ConnectFunctions();

    // A client that connects and says nothing holds no one up.
    RawConnection silent(server.FunctionPort());
    ASSERT_TRUE(silent.Connected());

    auto garbage = server.ConnectFunctions();
    EXPECT_NE(FunctionReply(*garbage, "{ServerCommand:nosuchcommand}").find("Error"), std::string::npos);
    EXPECT_NE(FunctionReply(*garbage, "{{{[[[\"'").find("Error"), std::string::npos);
    // A request of very many members, yet under the size one may hold,
    // reaches the parser and is refused there.
    std::string many = "{ServerCommand:getcasestatus";
    for (int i = 0; i < 128'000; ++i) many += ",m:1";
    EXPECT_NE(FunctionReply(*garbage, many + "}").find("too many"), std::string::npos);

    // Requests on either port without TLS: the handshake fails and the
    // connection is closed.
    RawConnection plain(server.DataPort());
    const auto f = dalvero::frame::Encode(20002, 0, "V2,Cases");
    EXPECT_TRUE(plain.Send(*f));
    EXPECT_TRUE(plain.ClosedByServer());
    RawConnection plainText(server.FunctionPort());
    EXPECT_TRUE(plainText.Send(std::string("{ServerCommand:getcaseneedstatus,SeqList:1}") + '\0'));
    EXPECT_TRUE(plainText.ClosedByServer());

    // A frame that breaks the protocol over TLS.
    auto db = server.ConnectData();
    ASSERT_TRUE(db->IsConnected());
    EXPECT_TRUE(db->Exchange(31001, 20003, "TableName=NoSuchTable,Seq=1"));
    EXPECT_FALSE(db->ErrorText.empty());
    EXPECT_TRUE(db->Exchange(31001, 20003, "TableName=\"Cases; DROP TABLE Cases\",Seq=1"));
    EXPECT_FALSE(db->ErrorText.empty());
    EXPECT_TRUE(db->Exchange(777, 1, "whatever"));
    EXPECT_FALSE(db->ErrorText.empty());

    // Everyone else is still served.
    EXPECT_NE(FunctionReply(*fn, "{ServerCommand:getcaseneedstatus,SeqList:1}").find("StatusList"),
              std::string::npos);
    cRecordBatch cases;
    EXPECT_TRUE(cases.Query(db.get(), "Cases", "L4", kDemoHospital, "", 0, 5, "f22", "", "", "F"));
}

TEST(ServerLoopback, RequestsSentBackToBackAreEachAnswered) {
    // Several requests in one write land in one TLS read, and the next one
    // may come while a worker still has the connection: none may be left
    // waiting in a buffer.
    RealServer server(RealServer::Demo);
    const dalvero::TlsContext context = dalvero::CreateClientTlsContext(server.CaFile());
    dalvero::SecureSocket socket(context.get());
    ASSERT_EQ(socket.Connect("127.0.0.1", server.FunctionPort()), dalvero::SOCK_SUCCESS);
    for (int round = 0; round < 60; ++round) {
        const int requests = 1 + round % 5;
        std::string burst;
        for (int i = 0; i < requests; ++i) burst += std::string("{ServerCommand:nosuchcommand}") + '\0';
        ASSERT_EQ(socket.Send(burst), dalvero::SOCK_SUCCESS);
        for (int i = 0; i < requests; ++i) {
            char reply[4096];
            const int got = socket.ReceiveUntilNul(reply, sizeof reply - 1, 10, 0);
            ASSERT_GT(got, 0) << "round " << round << ", reply " << i;
            EXPECT_NE(std::string(reply).find("Error"), std::string::npos);
        }
    }
}

TEST(ServerLoopback, ALinkOutOfTheFilesFolderIsNotFollowed) {
    RealServer server(RealServer::Demo);
    const std::filesystem::path dir = server.DataDir();
    std::filesystem::create_symlink(dir / "tls" / "ca.key", dir / "files" / "Clients" / "key");
    std::filesystem::create_directory_symlink(dir / "tls", dir / "files" / "tls");
    auto db = server.ConnectData();
    const std::string copy = (dir / "stolen").string();
    for (const char* name : {"Clients\\key", "tls\\ca.key"}) {
        EXPECT_FALSE(db->DownloadFile(name, copy)) << name;
        EXPECT_EQ(db->GetFileInfo(name), 0) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(copy) && std::filesystem::file_size(copy) > 0);
}
