#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db_server_connection.h"
#include "fake_peer.h"
#include "file_age.h"
#include "frame.h"
#include "plain_socket.h"
#include "temp_dir.h"

namespace dalvero {
namespace {

namespace fs = std::filesystem;
using test::FakePeer;
using test::PeerScript;
using test::TempDir;
using Progress = std::vector<std::pair<long long, long long>>;

constexpr int kGuardSeconds = 20;
constexpr std::int32_t kDate = 1'700'000'000;

std::unique_ptr<dbServerConnection> Dial(const FakePeer& peer) {
    return std::make_unique<dbServerConnection>("127.0.0.1", peer.PortText(), "", "", false, kGuardSeconds);
}

// What the server sends for a download: size and file date, the content,
// then the closing reply.
std::string Transfer(const std::string& content, std::int32_t date, const std::string& closing = "Result=OK") {
    std::uint8_t head[8];
    frame::PutUint32(head, static_cast<std::uint32_t>(content.size()));
    frame::PutUint32(head + 4, static_cast<std::uint32_t>(date));
    return std::string(reinterpret_cast<const char*>(head), sizeof head) + content + closing + '\0';
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) >> 3);
    return bytes;
}

// The peer's log once the client has gone.
std::vector<test::PeerMessage> Finish(std::unique_ptr<dbServerConnection>& db, FakePeer& peer) {
    db.reset();
    EXPECT_TRUE(peer.WaitFinished(1));
    return peer.Messages();
}

struct EventCount {
    EventCount() {
        SetUiHooks({{}, [this] { ++events; }});
    }
    ~EventCount() { SetUiHooks({}); }
    int events = 0;
};

TEST(ConnectionDownload, TheFileArrivesWholeWithItsDateAndProgress) {
    TempDir dir("dalvero-files");
    EventCount ui;
    const std::string content = Pattern(120'000);
    FakePeer peer(PeerScript()
                      .ReadFrame()
                      .SendPieces(Transfer(content, kDate), 30'000, std::chrono::milliseconds(2))
                      .ReadFrame()
                      .Reply("FileSize=120000,FileDate=1700000000"));
    auto db = Dial(peer);
    const fs::path local = dir.Path() / "Dalvero.tmp";
    Progress progress;
    ASSERT_TRUE(db->DownloadFile("Clients\\Dalvero.exe", local.string(),
                                 [&](long long done, long long total) { progress.emplace_back(done, total); }));
    const std::string written = test::ReadAll(local);
    EXPECT_EQ(written.size(), content.size());
    EXPECT_TRUE(written == content);
    EXPECT_EQ(FileAge(local.string()), kDate);
    EXPECT_EQ(progress, (Progress{{0, 120'000}, {50'000, 120'000}, {100'000, 120'000}, {120'000, 120'000}}));
    EXPECT_EQ(ui.events, 4);

    EXPECT_EQ(db->GetFileInfo("Clients\\Dalvero.exe"), kDate);
    EXPECT_EQ(db->FileSize, 120'000);
    const auto messages = Finish(db, peer);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].header.command, frame::cmd::kFile);
    EXPECT_EQ(messages[0].header.subCommand, frame::sub::kDownload);
    EXPECT_EQ(messages[0].Text(), "Clients\\Dalvero.exe");
    EXPECT_EQ(messages[1].header.subCommand, frame::sub::kFileInfo);
}

TEST(ConnectionDownload, AnEmptyOrBrokenTransferFailsAndLeavesNoFile) {
    TempDir dir("dalvero-files");
    const fs::path local = dir.Path() / "Dalvero.tmp";
    FakePeer peer(std::vector<PeerScript>{
        PeerScript()
            .ReadFrame()
            .Send(Transfer("", 0))
            .ReadFrame()
            .Send(Transfer(Pattern(100'000), kDate).substr(0, 8 + 60'000))
            .Close(),
        PeerScript().ReadFrame().Reply("FileSize=0,FileDate=0"),
    });
    auto db = Dial(peer);
    test::WriteAll(local, "left over");
    EXPECT_FALSE(db->DownloadFile("Clients\\Missing.exe", local.string()));
    EXPECT_FALSE(fs::exists(local));
    EXPECT_TRUE(db->Connected);

    EXPECT_FALSE(db->DownloadFile("Clients\\Dalvero.exe", local.string()));
    EXPECT_FALSE(fs::exists(local));
    EXPECT_FALSE(db->Connected);
    // The stream is abandoned with the transfer; the next request starts a
    // new connection.
    EXPECT_TRUE(db->Exchange(frame::cmd::kFile, frame::sub::kFileInfo, "Clients\\Dalvero.exe"));
    EXPECT_EQ(db->ReplyText, "FileSize=0,FileDate=0");
}

TEST(ConnectionRecordFile, GetRecordFileReplacesTheWholeLocalFile) {
    TempDir dir("dalvero-files");
    const fs::path local = dir.Path() / "tmp.jpg";
    test::WriteAll(local, std::string(200, 'o'));
    FakePeer peer(PeerScript().ReadFrame().Send(Transfer("new", kDate)).ReadFrame().Send(Transfer("", 0)));
    auto db = Dial(peer);
    ASSERT_TRUE(db->GetRecordFile("ProviderEntities", "7", 1, local.string()));
    EXPECT_EQ(test::ReadAll(local), "new");
    EXPECT_EQ(FileAge(local.string()), kDate);
    EXPECT_FALSE(db->GetRecordFile("ProviderEntities", "8", 1, local.string()));
    EXPECT_FALSE(fs::exists(local));
    const auto messages = Finish(db, peer);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].header.command, frame::cmd::kRecordFile);
    EXPECT_EQ(messages[0].header.subCommand, frame::sub::kDownload);
    EXPECT_EQ(messages[0].Text(), "ProviderEntities,7,1");
}

TEST(ConnectionRecordFile, PutRecordFileSendsTheDateSizeAndContent) {
    TempDir dir("dalvero-files");
    const fs::path local = dir.Path() / "Logo.jpg";
    const std::string content = Pattern(70'000);
    test::WriteAll(local, content);
    ASSERT_TRUE(SetFileAge(local.string(), 1'600'000'000));
    FakePeer peer(PeerScript()
                      .ReadFrame()
                      .ReadSizedContent()
                      .Reply("Result=OK")
                      .ReadFrame()
                      .ReadSizedContent()
                      .Reply("\"Error=No such record\",ErrorCode=3"));
    auto db = Dial(peer);
    Progress progress;
    ASSERT_TRUE(db->PutRecordFile("ProviderEntities", "7", 1, local.string(),
                                  [&](long long done, long long total) { progress.emplace_back(done, total); }));
    EXPECT_EQ(progress, (Progress{{0, 70'000}, {50'000, 70'000}, {70'000, 70'000}}));
    // Only the server's answer tells whether the upload took.
    EXPECT_FALSE(db->PutRecordFile("ProviderEntities", "99", 1, local.string()));
    EXPECT_EQ(db->ErrorText, "No such record");
    EXPECT_FALSE(db->PutRecordFile("ProviderEntities", "7", 1, (dir.Path() / "missing.jpg").string()));
    const auto messages = Finish(db, peer);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].header.command, frame::cmd::kRecordFile);
    EXPECT_EQ(messages[0].header.subCommand, frame::sub::kUpload);
    EXPECT_EQ(messages[0].Text(), "ProviderEntities,7,1,1600000000");
    EXPECT_EQ(messages[1].payload.size(), content.size());
    EXPECT_TRUE(messages[1].payload == content);
}

TEST(ConnectionRecordFile, TransfersNeedALiveConnection) {
    TempDir dir("dalvero-files");
    FakePeer peer(PeerScript().Close());
    auto db = Dial(peer);
    db->Socket->Close();
    EXPECT_FALSE(db->GetRecordFile("ProviderEntities", "7", 1, (dir.Path() / "a").string()));
    EXPECT_FALSE(db->DownloadFile("x", (dir.Path() / "b").string()));
    EXPECT_EQ(db->GetFileInfo("x"), 0);
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(FileAge, IsTheModificationTimeInSecondsAndZeroWhenMissing) {
    TempDir dir("dalvero-files");
    const fs::path file = dir.Path() / "f.txt";
    EXPECT_EQ(FileAge(file.string()), 0);
    EXPECT_FALSE(SetFileAge(file.string(), kDate));
    test::WriteAll(file, "x");
    ASSERT_TRUE(SetFileAge(file.string(), kDate));
    EXPECT_EQ(FileAge(file.string()), kDate);
    EXPECT_EQ(FileAge(dir.Path().string()), 0);
}

}  // namespace
}  // namespace dalvero
