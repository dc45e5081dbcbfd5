// What clients can hold of a real server on loopback: crowds of silent and
// idle connections, trickled handshakes, requests and uploads, uploads before
// a log-in, readers that never read, the caps per address and in total,
// costly queries and record-file quotas.

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "frame.h"
#include "plain_socket.h"
#include "raw_connection.h"
#include "real_server.h"
#include "record_batch.h"
#include "record_ops.h"
#include "secure_socket.h"
#include "server_log.h"
#include "socket_text.h"
#include "temp_dir.h"
#include "tls_context.h"
#include "tuned_server.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace dalvero::test {
namespace {

// A verified TLS connection with nothing said yet.
std::unique_ptr<SecureSocket> OpenTls(int port, const std::string& caFile) {
    const TlsContext context = CreateClientTlsContext(caFile);
    auto socket = std::make_unique<SecureSocket>(context.get());
    EXPECT_EQ(socket->Connect("127.0.0.1", port), SOCK_SUCCESS);
    return socket;
}

// Sends bytes one at a time until the server closes; the time that took,
// or nullopt when it stood through all of them.
template <typename Closed, typename SendByte>
std::optional<Clock::duration> TrickleUntilClosed(std::string_view bytes, Closed closed, SendByte send) {
    const auto start = Clock::now();
    for (char byte : bytes) {
        if (closed() || !send(byte)) return Clock::now() - start;
        std::this_thread::sleep_for(250ms);
    }
    return std::nullopt;
}

TEST(ServerConnections, SilentAndIdleCrowdsDoNotKeepAClientOut) {
    RealServer server(RealServer::Demo);
    // 300 clients that finished their handshakes and went quiet ...
    std::vector<std::unique_ptr<dbServerConnection>> idle;
    for (int i = 0; i < 150; ++i) {
        idle.push_back(server.ConnectData());
        ASSERT_TRUE(idle.back()->IsConnected()) << i;
        idle.push_back(server.ConnectFunctions());
        ASSERT_TRUE(idle.back()->IsConnected()) << i;
    }
    // ... and 600 that never say anything, on both ports.
    std::vector<std::unique_ptr<RawConnection>> silent;
    for (int i = 0; i < 300; ++i) {
        silent.push_back(std::make_unique<RawConnection>(server.DataPort()));
        silent.push_back(std::make_unique<RawConnection>(server.FunctionPort()));
        ASSERT_TRUE(silent.back()->Connected()) << i;
    }

    auto db = server.ConnectData();
    ASSERT_TRUE(db->IsConnected());
    cRecordBatch cases;
    EXPECT_TRUE(cases.Query(db.get(), "Cases", "L1", "", "", 0, 5, "f22", "", "", "F"));
    EXPECT_FALSE(cases.Set->Records.empty());
    auto fn = server.ConnectFunctions();
    ASSERT_TRUE(fn->IsConnected());
    EXPECT_TRUE(fn->SendText("{ServerCommand:getcaseneedstatus,Session:" + fn->Session + ",SeqList:1}"));
    EXPECT_NE(fn->ReplyText.find("StatusList"), std::string::npos);
    // The quiet ones were kept, not dropped to make room.
    EXPECT_TRUE(idle.front()->Exchange(frame::cmd::kServerDate, 0, ""));
    EXPECT_FALSE(silent.back()->ClosedNow());
}

TEST(ServerConnections, TrickledHandshakesAndRequestsEndAtTheirDeadlines) {
    TunedServer server({{"Connections", "HandshakeSeconds", "2"}, {"Connections", "RequestSeconds", "2"}});
    const int port = server.Instance().DataPort();

    // The start of a TLS ClientHello, a byte every 250 ms: each byte would
    // pass a per-byte limit, the whole never comes.
    const std::string hello("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03" + std::string(60, 'x'));
    RawConnection raw(port);
    const auto handshake = TrickleUntilClosed(
        hello, [&] { return raw.ClosedNow(); }, [&](char byte) { return raw.Send(std::string_view(&byte, 1)); });
    ASSERT_TRUE(handshake.has_value()) << "a trickled handshake was never dropped";
    EXPECT_GE(*handshake, 1500ms);
    EXPECT_LT(*handshake, 10s);

    // The same with a request frame after a finished handshake.
    auto tls = OpenTls(port, server.CaFile());
    const std::string frame = *frame::Encode(frame::cmd::kHandshake, 0, "Key=,ProgramID=Dalvero" + std::string(50, ' '));
    const auto request = TrickleUntilClosed(
        frame, [&] { return !tls->IsConnected(); },
        [&](char byte) { return tls->Send(&byte, 1) == SOCK_SUCCESS; });
    ASSERT_TRUE(request.has_value()) << "a trickled request was never dropped";
    EXPECT_LT(*request, 10s);

    // Whole requests are answered as before.
    auto db = server.ConnectData();
    EXPECT_TRUE(db->IsConnected());
}

TEST(ServerConnections, AReaderThatStopsReadingLosesItsDownload) {
    TunedServer server({{"Connections", "StallSeconds", "1"}});
    constexpr std::size_t kSize = 32u << 20;
    {
        // Under Clients, which a connection may fetch before it logs in.
        fs::create_directories(server.DataDir() / "files" / "Clients");
        std::ofstream big(server.DataDir() / "files" / "Clients" / "big.bin", std::ios::binary);
        const std::string block(1 << 20, 'b');
        for (std::size_t i = 0; i < kSize / block.size(); ++i) big << block;
    }
    auto tls = OpenTls(server.Instance().DataPort(), server.CaFile());
    ASSERT_EQ(tls->Send(*frame::Encode(frame::cmd::kHandshake, 0, "Key=,ProgramID=Dalvero")), SOCK_SUCCESS);
    ASSERT_NE(ReceiveText(*tls, 5).find("Accepted=Y"), std::string::npos);
    ASSERT_EQ(tls->Send(*frame::Encode(frame::cmd::kFile, frame::sub::kDownload, "Clients\\big.bin")), SOCK_SUCCESS);

    std::this_thread::sleep_for(4s);  // reads nothing for longer than the stall limit
    std::size_t received = 0;
    char buffer[65536];
    for (int got; (got = tls->Receive(buffer, sizeof buffer, 5, 0)) > 0;) received += static_cast<std::size_t>(got);
    EXPECT_GT(received, 0u);
    EXPECT_LT(received, kSize) << "the server waited for a reader that had stopped";
    EXPECT_FALSE(tls->IsConnected());
}

// Waits up to five seconds for the server to end the connection, reading
// whatever it still sends.
bool ServerClosed(PlainSocket& tls) {
    char buffer[4096];
    while (tls.Receive(buffer, sizeof buffer, 5, 0) > 0) {
    }
    return !tls.IsConnected();
}

TEST(ServerConnections, UploadsBeforeALogInAreClosedUnreadAndHoldNoWorker) {
    TunedServer server({{"Connections", "Workers", "2"}});
    const int port = server.Instance().DataPort();
    // More uploads than workers, each announcing 4 GiB and sending a piece.
    std::vector<std::unique_ptr<SecureSocket>> uploads;
    for (int i = 0; i < 4; ++i) {
        auto tls = OpenTls(port, server.CaFile());
        ASSERT_EQ(tls->Send(*frame::Encode(frame::cmd::kHandshake, 0, "Key=,ProgramID=Dalvero")), SOCK_SUCCESS);
        ASSERT_NE(ReceiveText(*tls, 5).find("Accepted=Y"), std::string::npos);
        ASSERT_EQ(tls->Send(*frame::Encode(frame::cmd::kRecordFile, frame::sub::kUpload, "Personnel,1,1,0")),
                  SOCK_SUCCESS);
        (void)tls->Send("\xff\xff\xff\xff" + std::string(50'000, 'u'));
        uploads.push_back(std::move(tls));
    }
    auto db = server.ConnectData();
    EXPECT_TRUE(db->IsConnected()) << "the uploads held every worker";
    EXPECT_TRUE(db->Exchange(frame::cmd::kServerDate, 0, ""));
    for (auto& tls : uploads) EXPECT_TRUE(ServerClosed(*tls));
}

TEST(ServerConnections, AnUploadTrickledInTimelyPiecesEndsAtItsWholeDeadline) {
    // Each 50,000-byte piece comes inside the stall limit; the whole 400,000
    // bytes are owed within 2 s plus their size at 64 KB/s, about 8 s.
    TunedServer server({{"Connections", "StallSeconds", "2"}});
    auto db = server.ConnectData();
    const std::string seq = AddRecord(*db, "Patients", StringList{"f10=Trickle"});
    ASSERT_FALSE(seq.empty());
    ASSERT_TRUE(db->SendMessage(frame::cmd::kRecordFile, frame::sub::kUpload, "Patients," + seq + ",1,0"));
    std::uint8_t size[4];
    frame::PutUint32(size, 400'000);
    ASSERT_EQ(db->Socket->Send(size, sizeof size), SOCK_SUCCESS);
    const auto start = Clock::now();
    bool cut = false;
    for (int piece = 0; piece < 8 && !cut; ++piece) {
        std::this_thread::sleep_for(1500ms);
        cut = !db->Socket->IsConnected() || db->Socket->Send(std::string(50'000, 't')) != SOCK_SUCCESS;
    }
    EXPECT_TRUE(cut || ServerClosed(*db->Socket))
        << "a trickled upload was taken whole";
    EXPECT_LT(Clock::now() - start, 12s);
}

TEST(ServerConnections, CapsPushOutSilentConnectionsBeforeWorkingOnes) {
    TunedServer server({{"Connections", "MaxConnections", "6"}, {"Connections", "PerAddress", "4"}});
    const int port = server.Instance().DataPort();
    std::vector<std::unique_ptr<dbServerConnection>> working;
    for (int i = 0; i < 4; ++i) {
        working.push_back(server.ConnectData());
        ASSERT_TRUE(working.back()->IsConnected());
    }
    // An address at its cap with working connections only gets no more.
    RawConnection refused(port);
    EXPECT_TRUE(refused.ClosedByServer());

    // Other addresses do, up to the total; beyond it the connection that has
    // waited longest for its handshake makes room.
    RawConnection first(port, "127.0.0.2");
    RawConnection second(port, "127.0.0.2");
    std::this_thread::sleep_for(200ms);
    RawConnection third(port, "127.0.0.3");
    EXPECT_TRUE(first.ClosedByServer());
    second.SetReadTimeout(1);
    EXPECT_FALSE(second.ClosedByServer());
    for (auto& db : working) EXPECT_TRUE(db->Exchange(frame::cmd::kServerDate, 0, "") && db->ErrorText.empty());
}

TEST(ServerConnections, CostlyQueriesAndUploadsAreRefused) {
    TunedServer server({{"RecordFiles", "PerRecordMB", "1"}, {"RecordFiles", "TotalMB", "2"}});
    auto db = server.ConnectData();
    ASSERT_TRUE(db->IsConnected());

    // One field asked for thousands of times, over every row.
    std::string fields = "f10";
    while (fields.size() < 40'000) fields += ",f10";
    cRecordBatch amplified;
    EXPECT_FALSE(amplified.Query(db.get(), "Cases", "L1", "", "", 0, 100'000, fields, "", "", "F"));
    const std::string why = db->ErrorText + (amplified.Set ? amplified.Set->Message : "");
    EXPECT_NE(why.find("Too many fields"), std::string::npos) << why;
    cRecordBatch fair;
    EXPECT_TRUE(fair.Query(db.get(), "Cases", "L1", "", "", 0, 100'000, "f10,f11", "", "", "F"));

    // 700 KB files: a record holds one, not two; the server holds two.
    TempDir local;
    const fs::path file = local.Path() / "scan.bin";
    std::ofstream(file, std::ios::binary) << std::string(700 << 10, 's');
    std::vector<std::string> seqs;
    for (int i = 0; i < 3; ++i) seqs.push_back(AddRecord(*db, "Patients", StringList{"f10=Quota" + std::to_string(i)}));
    EXPECT_TRUE(db->PutRecordFile("Patients", seqs[0], 1, file.string()));
    EXPECT_FALSE(db->PutRecordFile("Patients", seqs[0], 2, file.string()));
    EXPECT_TRUE(db->PutRecordFile("Patients", seqs[0], 1, file.string())) << "a replaced file counts once";
    EXPECT_TRUE(db->PutRecordFile("Patients", seqs[1], 1, file.string()));
    EXPECT_FALSE(db->PutRecordFile("Patients", seqs[2], 1, file.string()));
    // A refused upload ends its connection unread; the client's next request
    // connects again and finds no file where the refusals were.
    EXPECT_TRUE(db->Exchange(frame::cmd::kServerDate, 0, ""));
    EXPECT_TRUE(db->GetRecordFile("Patients", seqs[1], 1, (local.Path() / "back").string()));
    EXPECT_FALSE(db->GetRecordFile("Patients", seqs[2], 1, (local.Path() / "back").string()));
}

TEST(ServerConnections, StartMakesPrivateFilesPrivateAgain) {
    const fs::path dir = RealServer::CopyDataFolder(RealServer::Empty);
    for (const char* name : {"tls/server.key", "tls/ca.key", "dalvero.db", "server.ini"}) ::chmod((dir / name).c_str(), 0644);
    ::chmod((dir / "outbox").c_str(), 0755);
    {
        server::ServerInstance instance(dir, 0, 0);
        for (const char* name : {"tls/server.key", "tls/ca.key", "dalvero.db", "server.ini", "outbox"}) {
            struct stat st {};
            ASSERT_EQ(::stat((dir / name).c_str(), &st), 0) << name;
            EXPECT_EQ(st.st_mode & 077, 0u) << name;
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST(ServerLog, RepeatedLinesAreThrottledAndCounted) {
    testing::internal::CaptureStderr();
    for (int i = 0; i < 50; ++i) server::LogThrottled("test refusal", "refused " + std::to_string(i));
    server::LogThrottled("test other", "another kind");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("refused 0\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("refused 1"), std::string::npos) << log;
    EXPECT_NE(log.find("another kind"), std::string::npos) << log;
}

}  // namespace
}  // namespace dalvero::test
