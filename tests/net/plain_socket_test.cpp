#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fake_peer.h"
#include "plain_socket.h"
#include "socket_text.h"
#include "socket_test_util.h"

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

TEST(PlainSocketBuffer, ReceiveUntilNulStopsAtTheZeroOrAtMaxAndKeepsTheRest) {
    Attached a;
    char out[16];
    a.PeerWrites(std::string("abc\0defg", 8));
    EXPECT_EQ(a.socket.ReceiveUntilNul(out, 5, 5, 0), 4);
    EXPECT_EQ(std::string(out, 4), std::string("abc\0", 4));
    // No zero within max: max bytes are placed, terminated, and the rest kept.
    EXPECT_EQ(a.socket.ReceiveUntilNul(out, 3, 0, 0), 0);
    EXPECT_STREQ(out, "def");
    EXPECT_EQ(a.socket.Receive(out, 10, 0, 0), 1);
    EXPECT_EQ(out[0], 'g');
}

// Receive hands over what came before the close; ReceiveUntilNul reports
// the timeout or disconnection instead, with what had come placed.
TEST(PlainSocketState, TimeoutsAndACloseWithWhatWasHeld) {
    Attached a;
    char out[10];
    EXPECT_EQ(a.socket.Receive(out, 10, 0, 1000), 0);
    a.PeerWrites("partial");
    char text[101];
    EXPECT_EQ(a.socket.ReceiveUntilNul(text, 100, 0, 1000), SOCK_TIMEOUT);
    EXPECT_STREQ(text, "partial");
    EXPECT_EQ(a.socket.State(), SOCK_STATE_CONNECTED);
    a.PeerWrites("more");
    a.PeerCloses();
    EXPECT_EQ(a.socket.ReceiveUntilNul(text, 100, -1, 0), SOCK_DISCONNECTED);
    EXPECT_EQ(a.socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(a.socket.ReceiveUntilNul(text, 100, -1, 0), SOCK_DISCONNECTED);

    Attached b;
    b.PeerWrites("abc");
    b.PeerCloses();
    EXPECT_EQ(b.socket.Receive(out, 10, -1, 0), 3);
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(b.socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(b.socket.Receive(out, 10, -1, 0), SOCK_DISCONNECTED);
}

TEST(PlainSocketBuffer, AFullBufferIsHandedOverAsItIsRatherThanWaitedOn) {
    Attached a;
    const std::string fill(PlainSocket::kMaxBuffered, 'x');
    a.PeerWrites(fill + "waiting");
    // No zero byte and max beyond the buffer.
    std::vector<char> out(100'001);
    EXPECT_EQ(a.socket.ReceiveUntilNul(out.data(), 100'000, -1, 0), 0);
    EXPECT_EQ(std::string(out.data()), fill);
    char rest[8];
    EXPECT_EQ(a.socket.Receive(rest, 7, 5, 0), 7);
    EXPECT_EQ(std::string(rest, 7), "waiting");
}

TEST(PlainSocketState, IsConnectedKeepsArrivedBytesAndNoticesAClosedPeer) {
    Attached a;
    a.PeerWrites("hello");
    EXPECT_TRUE(a.socket.IsConnected());
    char out[8];
    EXPECT_EQ(a.socket.Receive(out, 5, 0, 0), 5);
    EXPECT_EQ(std::string(out, 5), "hello");
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
    ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
    char out[1];
    EXPECT_EQ(socket.Receive(out, 1, 5, 0), 0);
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
    char text[11];
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
        EXPECT_EQ(test::ReceiveText(socket, 10), "ok");
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
