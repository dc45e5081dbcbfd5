// The real dalvero-server on loopback, reached through the client's own data
// layer: TLS verification, lists and commands on the demo hospital, bad input
// from raw sockets, and durability across kill -9.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <set>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "frame.h"
#include "function_commands.h"
#include "../net/socket_test_util.h"
#include "ini_file.h"
#include "json_node.h"
#include "log_in.h"
#include "password_hash.h"
#include "real_server.h"
#include "schema.h"
#include "record_batch.h"
#include "raw_connection.h"
#include "record_ops.h"
#include "secure_socket.h"
#include "test_store.h"
#include "tls_context.h"

namespace fs = std::filesystem;
using dalvero::cJsonNode;
using dalvero::cRecordBatch;
using dalvero::StringList;
using dalvero::test::RawConnection;
using dalvero::test::RealServer;

namespace {

std::string AdminEmail(const RealServer& server) {
    for (const auto& login : server.Logins())
        if (login.roles.find("Administrator") != std::string::npos) return login.email;
    return {};
}

// A command written by hand, with the connection's session as its first member.
std::string FunctionReply(dalvero::dbServerConnection& fn, const std::string& text) {
    fn.SendText("{Session:" + fn.Session + "," + text.substr(1));
    return fn.ReplyText;
}

}  // namespace

TEST(ServerLoopback, LogInOverVerifiedTlsGivesThePersonWithoutThePassword) {
    RealServer server(RealServer::Demo);
    auto db = server.ConnectData("Dalvero", false);
    ASSERT_TRUE(db->IsConnected());
    EXPECT_GT(db->ServerDate, 40000.0);  // a date after 2009 in the client's day count

    const auto& login = server.Logins().front();
    StringList user;
    std::string session;
    ASSERT_TRUE(dalvero::LogIn(*db, login.email, login.password, user, session)) << db->ErrorText;
    ASSERT_GT(user.size(), 26u);
    EXPECT_EQ(user[22], login.email);
    EXPECT_EQ(user[23], "");
    StringList same;
    ASSERT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, login.email, "", same, "", ""));
    EXPECT_EQ(same[23], "");

    StringList none;
    EXPECT_FALSE(dalvero::FindRecord(*db, "Personnel", 4, "nobody@nowhere", "", none, "", ""));
    EXPECT_EQ(none.CommaText(), "~");
}

TEST(ServerLoopback, RefusesClientsThatCannotVerifyItOrNameItself) {
    RealServer server(RealServer::Demo);
    // A CA file that did not sign the server's certificate.
    dalvero::dbServerConnection otherCa("127.0.0.1", std::to_string(server.DataPort()), "Dalvero", "", true, 5,
                                        server.DataDir() / "server.ini");
    EXPECT_FALSE(otherCa.IsConnected());
    // The handshake accepts only the client program.
    auto stranger = server.ConnectData("SomethingElse");
    EXPECT_FALSE(stranger->IsConnected());
}

TEST(ServerLoopback, OpenCaseListWithJoinsAndStatusesOfTheDemoHospital) {
    RealServer server(RealServer::Demo);
    auto db = server.ConnectData();
    auto fn = server.ConnectFunctions();
    ASSERT_TRUE(db->IsConnected());
    ASSERT_TRUE(fn->IsConnected());

    StringList user;
    ASSERT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, AdminEmail(server), "", user, "", ""));
    const std::string hospital = user[9];

    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Cases", "L4", hospital, "", 0, 1000,
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

TEST(ServerLoopback, PreviousCaseListPagesWithoutGapsOrRepeats) {
    RealServer server(RealServer::Demo);
    auto db = server.ConnectData();
    StringList user;
    ASSERT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, AdminEmail(server), "", user, "", ""));

    cRecordBatch all;
    ASSERT_TRUE(all.Query(db.get(), "Cases", "L3", user[9], "", 0, 1000, "f22", "", "f18=Y", "F", "", "Y"));
    std::vector<std::string> expected;
    if (all.Set->First()) do expected.push_back(all.Set->Seq); while (all.Set->Next());
    ASSERT_GT(expected.size(), 14u) << "the demo must have several pages of closed cases";

    cRecordBatch paged;
    ASSERT_TRUE(paged.Query(db.get(), "Cases", "L3", user[9], "", 0, 7, "f22", "", "f18=Y", "F", "", "Y"));
    std::vector<std::vector<std::string>> pages;
    for (;;) {
        std::vector<std::string> page;
        if (paged.Set->First()) do page.push_back(paged.Set->Seq); while (paged.Set->Next());
        pages.push_back(page);
        if (paged.Set->Count >= paged.Set->Position || paged.SecondMark == 0) break;
        ASSERT_TRUE(paged.NextPage());
        ASSERT_LT(pages.size(), 100u);
    }
    std::vector<std::string> walked;
    for (const auto& page : pages) walked.insert(walked.end(), page.begin(), page.end());
    EXPECT_EQ(walked, expected);

    // And back again: each earlier page comes back in the order it had.
    for (std::size_t i = pages.size() - 1; i > 0; --i) {
        ASSERT_TRUE(paged.PriorPage());
        std::vector<std::string> page;
        if (paged.Set->First()) do page.push_back(paged.Set->Seq); while (paged.Set->Next());
        EXPECT_EQ(page, pages[i - 1]) << "page " << i - 1;
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
    StringList user;
    EXPECT_TRUE(dalvero::FindRecord(*db, "Personnel", 4, AdminEmail(server), "", user, "", ""));
    cRecordBatch cases;
    EXPECT_TRUE(cases.Query(db.get(), "Cases", "L4", user[9], "", 0, 5, "f22", "", "", "F"));
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

TEST(ServerLoopback, PipelinedReadsComeBackInOrderBetweenRequestsServedElsewhere) {
    // Record reads are served on the event loop, a few of one connection's
    // at a time; a file's information goes to a worker and the connection
    // comes back; replies piled up unread are finished by a worker. None may
    // be lost, doubled or reordered, whichever path served it.
    namespace cmd = dalvero::frame::cmd;
    namespace sub = dalvero::frame::sub;
    RealServer server(RealServer::Demo);
    auto db = server.ConnectData();
    ASSERT_TRUE(db->IsConnected());
    constexpr std::size_t kCases = 7;
    // Open cases with long notes, so that the replies outgrow the sockets' buffers.
    std::vector<int> seqs;
    for (int seq = 1; seqs.size() < kCases && seq <= 85; ++seq)
        if (dalvero::UpdateRecord(*db, "Cases", std::to_string(seq), StringList{"f1001=" + std::string(15'000, 'n')}))
            seqs.push_back(seq);
    ASSERT_EQ(seqs.size(), kCases);
    auto read = [&](std::size_t i) {
        return "TableName=Cases,Seq=" + std::to_string(seqs[i % kCases]) + ",AliasList=,AliasFields=f1001";
    };
    std::vector<std::string> alone;
    for (std::size_t i = 0; i < kCases; ++i) {
        ASSERT_TRUE(db->Exchange(cmd::kRecord, sub::kRead, read(i)));
        ASSERT_EQ(db->ReplyText.find("Error"), std::string::npos) << db->ReplyText;
        alone.push_back(db->ReplyText);
    }
    ASSERT_TRUE(db->Exchange(cmd::kFile, sub::kFileInfo, "nosuch.txt"));
    const std::string info = db->ReplyText;

    constexpr int kRequests = 600;
    auto isInfo = [](int i) { return i % 100 == 50; };
    for (int i = 0; i < kRequests; ++i)
        ASSERT_TRUE(isInfo(i) ? db->SendMessage(cmd::kFile, sub::kFileInfo, "nosuch.txt")
                              : db->SendMessage(cmd::kRecord, sub::kRead, read(i)));
    // Unread, the replies fill the socket's buffers before the client takes any.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < kRequests; ++i) {
        ASSERT_TRUE(db->ReceiveReply()) << "reply " << i;
        ASSERT_EQ(db->ReplyText, isInfo(i) ? info : alone[i % kCases]) << "reply " << i;
    }
}

TEST(ServerLoopback, AcknowledgedWritesSurviveKillMinus9) {
    // Whatever happens, the child server is stopped and its folder removed.
    struct Child {
        fs::path dir = RealServer::CopyDataFolder(RealServer::Empty);
        pid_t pid = -1;
        ~Child() {
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    } child;
    const fs::path& dir = child.dir;
    dalvero::IniFile ini;
    ASSERT_TRUE(ini.LoadFromFile((dir / "server.ini").string()));
    const int dataPort = dalvero::test::ClosedPort();
    ini.WriteString("DataServer", "Port", std::to_string(dataPort));
    ini.WriteString("FunctionServer", "Port", std::to_string(dalvero::test::ClosedPort()));
    ASSERT_TRUE(ini.SaveToFile((dir / "server.ini").string(), 0600));

    auto start = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::freopen("/dev/null", "w", stderr);
            ::execl(DALVERO_SERVER_EXE, DALVERO_SERVER_EXE, "run", dir.c_str(), nullptr);
            ::_exit(127);
        }
        return pid;
    };
    auto connect = [&] {
        std::unique_ptr<dalvero::dbServerConnection> db;
        for (int i = 0; i < 100; ++i) {
            db = std::make_unique<dalvero::dbServerConnection>("127.0.0.1", std::to_string(dataPort), "Dalvero", "",
                                                               true, 10, (dir / "tls" / "ca.pem").string());
            if (db->IsConnected()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        StringList person;
        std::string session;
        EXPECT_TRUE(dalvero::LogIn(*db, "crash@test", "pw", person, session)) << db->ErrorText;
        return db;
    };

    {
        const auto owned = dalvero::test::OpenFolderStore(dir);
        dalvero::server::Storage& store = *owned;
        store.Add("Personnel", {{9, "1"}, {22, "crash@test"}, {23, dalvero::HashPassword("pw", RealServer::kPasswordIterations)}});
    }
    pid_t& pid = child.pid;
    pid = start();
    // Planners adding at once when the server is killed: each keeps the
    // Seqs the server acknowledged, with the name it gave them.
    constexpr int kWriters = 4;
    std::vector<std::vector<std::pair<std::string, std::string>>> acknowledged(kWriters);
    std::atomic<int> count{0};
    std::string updated;
    {
        std::vector<std::unique_ptr<dalvero::dbServerConnection>> planners;
        for (int w = 0; w < kWriters; ++w) planners.push_back(connect());
        ASSERT_TRUE(planners[0]->IsConnected());
        updated = dalvero::AddRecord(*planners[0], "Patients", StringList{"f10=Before", "f12=Test"});
        ASSERT_TRUE(dalvero::UpdateRecord(*planners[0], "Patients", updated, StringList{"f11=Updated"}));
        std::vector<std::thread> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&, w] {
                for (int i = 0;; ++i) {
                    const std::string name = "Crash" + std::to_string(w) + "-" + std::to_string(i);
                    const std::string seq = dalvero::AddRecord(*planners[w], "Patients", StringList{"f10=" + name, "f12=Test"});
                    if (seq.empty()) return;  // the server is gone
                    acknowledged[w].emplace_back(seq, name);
                    ++count;
                }
            });
        }
        while (count < 40) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        for (std::thread& writer : writers) writer.join();
    }

    // Every acknowledged add is there with its audit row, and the trail is whole.
    {
        const auto owned = dalvero::test::OpenFolderStore(dir);
        dalvero::server::Storage& store = *owned;
        dalvero::server::ListRead adds;
        adds.table = dalvero::server::schema::kAuditTrail;
        adds.where = {{dalvero::server::schema::audit::kAction, dalvero::server::CompareOp::Equal, "add", false}};
        std::set<std::string> audited;
        for (const auto& row : store.Select(adds)) audited.insert(row.Field(dalvero::server::schema::audit::kRecord));
        for (const auto& writer : acknowledged) {
            for (const auto& [seq, name] : writer) {
                const auto record = store.Read("Patients", std::stoll(seq));
                ASSERT_TRUE(record) << seq;
                EXPECT_EQ(record->Field(10), name);
                EXPECT_TRUE(audited.count(seq)) << "no audit row for the add of " << seq;
            }
        }
        EXPECT_EQ(store.Read("Patients", std::stoll(updated))->Field(11), "Updated");
    }
    const std::string verify = std::string(DALVERO_SERVER_EXE) + " verify-audit " + dir.string() + " > /dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 0);

    pid = start();
    ASSERT_TRUE(connect()->IsConnected());
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run ends cleanly on SIGTERM";
}
