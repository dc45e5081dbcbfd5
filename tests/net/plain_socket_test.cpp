#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fake_peer.h"
#include "frame.h"
#include "plain_socket.h"
#include "socket_test_util.h"
#include "temp_dir.h"

namespace dalvero {
namespace {

using test::FakePeer;
using test::PeerScript;

// A socket attached to one end of a local stream pair; the test writes to or
// closes the other end.
struct Attached {
    Attached() {
        auto [mine, theirs] = test::StreamPair();
        other = theirs;
        EXPECT_EQ(socket.Attach(mine, false), SOCK_SUCCESS);
    }
    ~Attached() {
        if (other >= 0) close(other);
    }
    void PeerWrites(const std::string& bytes) const {
        ASSERT_EQ(write(other, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void PeerCloses() {
        close(other);
        other = -1;
    }
    PlainSocket socket;
    int other = -1;
};

TEST(PlainSocketBuffer, ReceiveTakesFromTheFrontAndKeepsTheRestTerminated) {
    Attached a;
    const std::string bytes = "0123456789abcdefghijklmno";
    ASSERT_TRUE(a.socket.AppendToBuffer(bytes.data(), bytes.size()));
    char out[10];
    EXPECT_EQ(a.socket.Receive(out, 10, 0, 0), 10);
    EXPECT_EQ(std::string(out, 10), "0123456789");
    ASSERT_EQ(a.socket.BufferedCount(), 15u);
    EXPECT_STREQ(a.socket.BufferedData(), "abcdefghijklmno");

    // Bytes written straight into the free area count once committed.
    auto free = a.socket.GetFreeSpace();
    EXPECT_EQ(free.room, PlainSocket::kMaxBuffered - 15);
    std::memcpy(free.data, "pq", 2);
    a.socket.CommitReceived(2);
    EXPECT_EQ(a.socket.ReadBuffered(out, 3, false), 3);
    EXPECT_STREQ(out, "abc");  // terminated
    EXPECT_STREQ(a.socket.BufferedData(), "defghijklmnopq");
    EXPECT_EQ(a.socket.ReadBuffered(nullptr, 3, false), 0);
}

TEST(PlainSocketBuffer, ReceiveUntilNulStopsAtTheZeroOrAtMax) {
    Attached a;
    char out[6];
    const char withZero[] = {'a', 'b', 'c', '\0', 'd', 'e', 'f'};
    ASSERT_TRUE(a.socket.AppendToBuffer(withZero, sizeof withZero));
    EXPECT_EQ(a.socket.ReceiveUntilNul(out, 5, 0, 0), 4);
    EXPECT_EQ(std::string(out, 4), std::string("abc\0", 4));
    EXPECT_STREQ(a.socket.BufferedData(), "def");

    Attached b;
    ASSERT_TRUE(b.socket.AppendToBuffer("abcdefgh", 8));
    EXPECT_EQ(b.socket.ReceiveUntilNul(out, 5, 0, 0), 0);
    EXPECT_EQ(std::string(out, 5), "abcde");
    EXPECT_STREQ(b.socket.BufferedData(), "fgh");
}

TEST(PlainSocketBuffer, ReceiveUntilCharAndStringIncludeTheDelimiter) {
    Attached a;
    a.PeerWrites("Status: 200\r\nrest");
    std::string text;
    EXPECT_EQ(a.socket.ReceiveUntilString(text, 100, "\r\n", 5, 0), 13);
    EXPECT_EQ(text, "Status: 200\r\n");
    // The delimiter lies beyond max: max bytes are taken and the text form
    // reports none.
    EXPECT_EQ(a.socket.ReceiveUntilChar(text, 2, 't', 5, 0), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(a.socket.ReceiveUntilChar(text, 10, 't', 5, 0), 2);
    EXPECT_EQ(text, "st");
}

// Receive hands over what came before the close; the ReceiveUntil forms
// report the timeout or disconnection instead.
TEST(PlainSocketState, TimeoutsAndACloseWithWhatWasHeld) {
    Attached a;
    char out[10];
    EXPECT_EQ(a.socket.Receive(out, 10, 0, 1000), 0);
    a.PeerWrites("partial");
    std::string text;
    EXPECT_EQ(a.socket.ReceiveUntilNul(text, 100, 0, 1000), SOCK_TIMEOUT);
    EXPECT_EQ(a.socket.State(), SOCK_STATE_CONNECTED);
    a.PeerWrites("more");
    a.PeerCloses();
    EXPECT_EQ(a.socket.ReceiveUntilString(text, 100, "\n", -1, 0), SOCK_DISCONNECTED);
    EXPECT_EQ(a.socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(a.socket.ReceiveUntilNul(text, 100, -1, 0), SOCK_DISCONNECTED);
    EXPECT_EQ(a.socket.ReceiveUntilChar(text, 100, 'x', -1, 0), SOCK_ERROR);

    Attached b;
    b.PeerWrites("abc");
    b.PeerCloses();
    EXPECT_EQ(b.socket.Receive(out, 10, -1, 0), 3);
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(b.socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(b.socket.Receive(out, 10, -1, 0), SOCK_DISCONNECTED);
}

TEST(PlainSocketBuffer, AFullBufferTakesNothingMoreAndIsHandedOverAsItIs) {
    Attached a;
    const std::string fill(PlainSocket::kMaxBuffered, 'x');
    ASSERT_TRUE(a.socket.AppendToBuffer(fill.data(), fill.size()));
    EXPECT_FALSE(a.socket.AppendToBuffer("y", 1));
    a.PeerWrites("waiting");
    EXPECT_EQ(a.socket.ReceiveIntoBuffer(), static_cast<int>(PlainSocket::kMaxBuffered));
    EXPECT_EQ(a.socket.BytesAvailable(), 7);
    // No zero byte and max beyond the buffer: it is handed over rather than
    // waited on for ever.
    std::vector<char> out(100'001);
    EXPECT_EQ(a.socket.ReceiveUntilNul(out.data(), 100'000, -1, 0), 0);
    EXPECT_EQ(std::string(out.data()), fill);
    EXPECT_EQ(a.socket.BufferedCount(), 0u);
}

TEST(PlainSocketState, IsConnectedKeepsArrivedBytesAndNoticesAClosedPeer) {
    Attached a;
    a.PeerWrites("hello");
    EXPECT_TRUE(a.socket.IsConnected());
    EXPECT_STREQ(a.socket.BufferedData(), "hello");
    a.PeerCloses();
    EXPECT_FALSE(a.socket.IsConnected());
    EXPECT_EQ(a.socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(a.socket.Send("x"), SOCK_DISCONNECTED);
}

TEST(PlainSocketState, AReceiveErrorSurvivesCloseUntilTheNextConnect) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    PlainSocket socket;
    ASSERT_EQ(socket.Attach(pipeFds[0], false), SOCK_SUCCESS);
    // recv on something that is not a socket fails without being a
    // disconnection.
    EXPECT_EQ(socket.ReceiveIntoBuffer(), SOCK_ERROR);
    EXPECT_EQ(socket.State(), SOCK_STATE_ERROR);
    socket.Close();
    EXPECT_EQ(socket.State(), SOCK_STATE_ERROR);
    close(pipeFds[1]);

    FakePeer peer(PeerScript().ReadUntilClosed());
    EXPECT_EQ(socket.Connect("127.0.0.1", peer.Port()), SOCK_SUCCESS);
    EXPECT_EQ(socket.State(), SOCK_STATE_CONNECTED);
}

TEST(PlainSocketState, APeerResetIsADisconnection) {
    FakePeer peer(PeerScript().Reset());
    PlainSocket socket;
    ASSERT_EQ(socket.Connect("127.0.0.1", peer.Port()), SOCK_SUCCESS);
    std::string text;
    EXPECT_EQ(socket.ReceiveUntilNul(text, 10, -1, 0), SOCK_DISCONNECTED);
    EXPECT_EQ(socket.State(), SOCK_STATE_IDLE);
}

TEST(PlainSocketConnect, FailuresAreTimeoutsAndRaiseNothing) {
    PlainSocket socket;
    EXPECT_EQ(socket.Connect("127.0.0.1", test::ClosedPort()), SOCK_TIMEOUT);
    EXPECT_EQ(socket.Connect(std::string(128, 'a'), 80), SOCK_TIMEOUT);
    EXPECT_EQ(socket.Connect("127.0.0.1", 70'000), SOCK_TIMEOUT);
    EXPECT_EQ(socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(socket.Handle(), -1);
}

TEST(PlainSocketConnect, NamesAndDottedAddressesBothReachTheServer) {
    FakePeer peer(PeerScript().ReadText().Reply("ok"));
    for (const char* host : {"127.0.0.1", "localhost"}) {
        PlainSocket socket;
        ASSERT_EQ(socket.Connect(host, peer.Port()), SOCK_SUCCESS) << host;
        ASSERT_EQ(socket.Send(std::string_view("ping\0", 5)), SOCK_SUCCESS);
        std::string reply;
        EXPECT_EQ(socket.ReceiveUntilNul(reply, 10, 10, 0), 3);
        EXPECT_EQ(reply, std::string("ok\0", 3));
    }
}

TEST(PlainSocketSend, ASendToAVanishedPeerIsAnErrorNotASignal) {
    Attached a;
    a.PeerCloses();
    const std::string block(1 << 16, 'x');
    int result = SOCK_SUCCESS;
    for (int i = 0; i < 64 && result == SOCK_SUCCESS; ++i) result = a.socket.Send(block.data(), block.size());
    EXPECT_EQ(result, SOCK_ERROR);
    EXPECT_EQ(a.socket.Send(nullptr, 4), SOCK_ERROR);
}

TEST(PlainSocketSend, SendFileSendsTheWholeFileAndReportsProgress) {
    const test::TempDir dir("dalvero-sendfile");
    const auto path = dir.Path() / "content.bin";
    std::string content(300'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));

    // The peer reads a size word and that many bytes, then answers.
    FakePeer peer(PeerScript().ReadSizedContent().Reply("ok"));
    {
        PlainSocket socket;
        ASSERT_EQ(socket.Connect("127.0.0.1", peer.Port()), SOCK_SUCCESS);
        std::uint8_t word[4];
        frame::PutUint32(word, static_cast<std::uint32_t>(content.size()));
        ASSERT_EQ(socket.Send(word, sizeof word), SOCK_SUCCESS);
        EXPECT_EQ(socket.SendFile(path.string()), SOCK_SUCCESS);
        EXPECT_EQ(socket.FileBytesDone(), content.size());
        EXPECT_EQ(socket.FileBytesTotal(), content.size());
        EXPECT_FALSE(socket.FileTransferActive());
        EXPECT_EQ(socket.SendFile(path.string() + ".missing"), SOCK_ERROR);
        EXPECT_EQ(socket.SendFile(-1), SOCK_ERROR);
        std::string reply;
        EXPECT_EQ(socket.ReceiveUntilNul(reply, 10, 10, 0), 3);
    }
    const std::string received = peer.Messages().at(0).payload;
    EXPECT_EQ(received.size(), content.size());
    EXPECT_TRUE(received == content);

    PlainSocket idle;
    EXPECT_EQ(idle.SendFile(path.string()), SOCK_DISCONNECTED);
}

TEST(PlainSocketAttach, KeepOpenLeavesTheDescriptorToItsOwner) {
    auto [kept, keptOther] = test::StreamPair();
    auto [owned, ownedOther] = test::StreamPair();
    {
        PlainSocket keeper;
        ASSERT_EQ(keeper.Attach(kept, true), SOCK_SUCCESS);
        PlainSocket owner;
        ASSERT_EQ(owner.Attach(owned, false), SOCK_SUCCESS);
        EXPECT_EQ(owner.Attach(-1, false), SOCK_ERROR);  // closes the one it owned
        EXPECT_FALSE(test::IsOpen(owned));
    }
    EXPECT_TRUE(test::IsOpen(kept));
    for (int fd : {kept, keptOther, ownedOther}) close(fd);
}

}  // namespace
}  // namespace dalvero
