#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "db_server_connection.h"
#include "fake_peer.h"
#include "plain_socket.h"

namespace dalvero {
namespace {

using test::FakePeer;
using test::PeerScript;

// Long enough for any reply here; only stops a broken test from hanging.
constexpr int kGuardSeconds = 20;

std::unique_ptr<dbServerConnection> Dial(const FakePeer& peer, const std::string& programId = {},
                                         const std::string& key = {}) {
    return std::make_unique<dbServerConnection>("127.0.0.1", peer.PortText(), programId, key, false, kGuardSeconds);
}

const std::string kAccepted = "Date=45000.5,RunningFolder=/srv/dalvero,RemoteIP=127.0.0.9,Accepted=Y";

// Captures what the connection shows and counts event servicing.
struct UiCapture {
    UiCapture() {
        SetUiHooks({[this](const std::string& text, const std::string& caption) {
                        shown.push_back(caption + ": " + text);
                    },
                    [this] { ++events; }});
    }
    ~UiCapture() { SetUiHooks({}); }
    std::vector<std::string> shown;
    int events = 0;
};

// The peer's log once the client has gone and every connection has ended.
std::vector<test::PeerMessage> Finish(std::unique_ptr<dbServerConnection>& db, FakePeer& peer,
                                      std::size_t connections) {
    db.reset();
    EXPECT_TRUE(peer.WaitFinished(connections));
    return peer.Messages();
}

TEST(ConnectionHandshake, WithoutADateTheServerIsAskedForItUnlessItRefused) {
    FakePeer peer(std::vector<PeerScript>{
        PeerScript().ReadFrame().Reply("RunningFolder=x,Accepted=Y").ReadFrame().Reply("Date=45001.25"),
        PeerScript().ReadFrame().Reply("Accepted=N").ReadUntilClosed(),
    });
    auto db = Dial(peer, "Dalvero");
    ASSERT_TRUE(db->Connected);
    EXPECT_DOUBLE_EQ(db->ServerDate, 45001.25);
    EXPECT_EQ(db->RunningFolder, "x");
    auto refused = Dial(peer, "Dalvero");
    EXPECT_FALSE(refused->Connected);
    EXPECT_EQ(refused->Socket, nullptr);
    refused.reset();
    const auto messages = Finish(db, peer, 2);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1].header.command, 2u);
    EXPECT_EQ(messages[1].payload, std::string(1, '\0'));
    EXPECT_EQ(messages[3].payload, "");  // the refusal is final: no server-date request
}

TEST(ConnectionHandshake, AServerThatDropsEveryConnectionFailsWithoutEndlessRetries) {
    FakePeer peer(PeerScript().Close());
    auto db = Dial(peer, "Dalvero");
    EXPECT_FALSE(db->Connected);
    EXPECT_FALSE(db->Exchange(20002, 0, "V2,Cases"));
    EXPECT_FALSE(db->Connected);
    EXPECT_LE(peer.Connections(), 2u);
}

TEST(ConnectionReply, OnlyALeadingErrorItemIsARefusal) {
    FakePeer peer(PeerScript()
                      .ReadFrame()
                      .Reply("\"Error=Bad table\",ErrorCode=5")
                      .ReadFrame()
                      .Reply("Seq=12,\"Error=see note\",ErrorCode=5,Name=John Smith")
                      .ReadFrame()
                      .Reply(""));
    auto db = Dial(peer);
    ASSERT_TRUE(db->Exchange(31001, 20003, "Cases,Seq=12"));
    EXPECT_TRUE(db->ReplyValues.empty());
    EXPECT_EQ(db->ErrorText, "Bad table");
    EXPECT_EQ(db->ErrorCode, 5);
    EXPECT_EQ(db->ReplyText, "\"Error=Bad table\",ErrorCode=5");

    // Further on, such items are field values and keep their places.
    ASSERT_TRUE(db->Exchange(31001, 20003, "Cases,Seq=13"));
    EXPECT_EQ(db->ReplyValues.items(),
              (std::vector<std::string>{"Seq=12", "Error=see note", "ErrorCode=5", "Name=John", "Smith"}));
    EXPECT_EQ(db->ErrorText, "");
    EXPECT_EQ(db->ErrorCode, 0);

    EXPECT_FALSE(db->Exchange(31001, 20003, "Cases,Seq=14"));  // an empty reply
    EXPECT_EQ(db->ReplyText, "");
}

TEST(ConnectionReply, SplitAndOverlongRepliesAreAssembledWhole) {
    std::vector<std::string> items;
    for (int i = 0; i < 2'600; ++i) items.push_back("f" + std::to_string(i) + "=" + std::string(45, 'a' + i % 26));
    const std::string longReply = ToCommaText(items);
    ASSERT_GT(longReply.size(), 2 * 50'000u);
    FakePeer peer(PeerScript()
                      .ReadFrame()
                      .SendPieces(longReply + '\0', 9'000, std::chrono::milliseconds(2))
                      .ReadFrame()
                      .SendPieces(std::string("A=1,B=2", 8), 3));
    auto db = Dial(peer);
    ASSERT_TRUE(db->Exchange(20002, 0, "V2,Cases"));
    EXPECT_EQ(db->ReplyText.size(), longReply.size());
    EXPECT_TRUE(db->ReplyText == longReply);
    EXPECT_EQ(db->ReplyValues.size(), items.size());
    ASSERT_TRUE(db->Exchange(20002, 0, "V2,Cases"));
    EXPECT_EQ(db->ReplyValues.items(), (std::vector<std::string>{"A=1", "B=2"}));
}

TEST(ConnectionReply, ACutOrMissingReplyFailsAndTheNextRequestReconnectsWithAHandshake) {
    UiCapture ui;
    FakePeer peer(std::vector<PeerScript>{
        PeerScript().ReadFrame().Reply(kAccepted).ReadFrame().Reply("Seq=1").ReadFrame().Send("Seq=2,Par").Close(),
        PeerScript().ReadFrame().Reply(kAccepted).ReadFrame().Close(),
        PeerScript().ReadFrame().Reply(kAccepted).ReadFrame().Send("Seq=3,Par").Reset(),
        PeerScript().ReadFrame().Reply(kAccepted).ReadFrame().Reply("Seq=4"),
    });
    auto db = Dial(peer, "Dalvero");
    ASSERT_TRUE(db->Exchange(20002, 0, "q1"));
    // Cut by a close, closed before any reply, cut by a reset: none leaves a
    // reply behind, not even the handshake's answer on reconnecting.
    for (const char* request : {"q2", "q3", "q4"}) {
        EXPECT_FALSE(db->Exchange(20002, 0, request)) << request;
        EXPECT_EQ(db->ReplyText, "") << request;
        EXPECT_FALSE(db->Connected) << request;
    }
    ASSERT_TRUE(db->Exchange(20002, 0, "q5"));
    EXPECT_EQ(db->ReplyText, "Seq=4");
    EXPECT_EQ(ui.events, 3);  // one per reconnection
    const auto messages = Finish(db, peer, 4);
    ASSERT_EQ(messages.size(), 9u);
    EXPECT_EQ(messages[7].Text(), "ProgramID=Dalvero");
    EXPECT_EQ(messages[8].connection, 3u);
    EXPECT_EQ(messages[8].Text(), "q5");
}

TEST(ConnectionReply, AReplyThatNeverComesLeavesNothingBehind) {
    FakePeer peer(PeerScript().ReadFrame().Reply("Seq=1").ReadFrame());
    auto db = Dial(peer);
    ASSERT_TRUE(db->Exchange(20002, 0, "q1"));
    EXPECT_EQ(db->ReplyText, "Seq=1");
    db->Timeout = 0;
    EXPECT_FALSE(db->Exchange(20002, 0, "q2"));
    EXPECT_EQ(db->ReplyText, "");
    EXPECT_TRUE(db->ReplyValues.empty());
    EXPECT_FALSE(db->Connected);
}

TEST(ConnectionFrame, TheLongestTextIsSentAndALongerOneRefusedWithAMessage) {
    UiCapture ui;
    FakePeer peer(PeerScript().ReadFrame().Reply("A=1").ReadFrame().Reply("A=2"));
    auto db = Dial(peer);
    EXPECT_TRUE(db->Exchange(20002, 0, std::string(49'988, 'q')));
    EXPECT_FALSE(db->SendMessage(20002, 0, std::string(49'989, 'q')));
    EXPECT_EQ(ui.shown, std::vector<std::string>{"Application Error: Sending a message larger than MessageBuffer"});
    EXPECT_TRUE(db->Exchange(20002, 0, "small"));
    EXPECT_EQ(db->ReplyText, "A=2");
    const auto messages = Finish(db, peer, 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].header.length, 49'989u);
    EXPECT_EQ(messages[0].payload.size(), 49'989u);
    EXPECT_EQ(messages[1].Text(), "small");
}

TEST(ConnectionFunctionText, AFailedCommandNeverShowsAnEarlierReply) {
    FakePeer peer(std::vector<PeerScript>{
        PeerScript().ReadText().Reply("{\"A\":1}").ReadText().Close(),
        PeerScript().ReadText().Reply("{\"B\":2}"),
        PeerScript().ReadText().Reply("{\"C\":3}"),
    });
    auto db = Dial(peer);
    ASSERT_TRUE(db->SendText("one"));
    EXPECT_EQ(db->ReplyText, "{\"A\":1}");
    EXPECT_FALSE(db->SendText("two"));  // the server goes without answering
    EXPECT_EQ(db->ReplyText, "");
    ASSERT_TRUE(db->SendText("three"));
    EXPECT_EQ(db->ReplyText, "{\"B\":2}");
    db->Socket->Close();
    EXPECT_FALSE(db->SendText("four"));  // the send itself fails
    EXPECT_EQ(db->ReplyText, "");
    ASSERT_TRUE(db->SendText("five"));
    EXPECT_EQ(db->ReplyText, "{\"C\":3}");
}

}  // namespace
}  // namespace dalvero
