#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "fake_peer.h"
#include "secure_socket.h"
#include "socket_text.h"
#include "socket_test_util.h"
#include "test_pki.h"
#include "tls_context.h"

namespace dalvero {
namespace {

using test::FakePeer;
using test::PeerScript;
using test::ReceiveText;
using test::TestPki;

FakePeer::Tls ServerFiles(const TestPki& pki) { return {pki.certFile, pki.keyFile}; }

TEST(TlsContext, AFailedStepReportsItsFixedTextAndKeysNeedTheirPassword) {
    TestPki pki;
    const char* failure = nullptr;
    EXPECT_FALSE(CreateServerTlsContext(pki.dir + "/missing.pem", pki.keyFile, {}, &failure));
    EXPECT_STREQ(failure, "Couldn't read certificate");
    EXPECT_FALSE(CreateServerTlsContext(pki.certFile, pki.caFile, {}, &failure));
    EXPECT_STREQ(failure, "Couldn't read private key");
    EXPECT_FALSE(CreateClientTlsContext(pki.dir + "/missing.pem", &failure));
    EXPECT_STREQ(failure, "Couldn't read certificate authority");
    EXPECT_TRUE(CreateClientTlsContext({}));

    // An encrypted key opens only with its password.
    const std::string key = pki.WriteEncryptedKey("s3cret");
    EXPECT_TRUE(CreateServerTlsContext(pki.certFile, key, "s3cret"));
    EXPECT_FALSE(CreateServerTlsContext(pki.certFile, key, "wrong", &failure));
    EXPECT_STREQ(failure, "Couldn't read private key");
    // Without a password it fails rather than prompting on a terminal.
    EXPECT_FALSE(CreateServerTlsContext(pki.certFile, key, {}, &failure));
}

TEST(SecureSocketVerify, AServerIsAcceptedOnlyForTheNameOrAddressItsCertificateCarries) {
    TestPki named("localhost", false);
    FakePeer namedPeer(PeerScript().ReadText().Reply("ok"), ServerFiles(named));
    const auto trusting = CreateClientTlsContext(named.caFile);
    SecureSocket socket(trusting.get());
    EXPECT_EQ(socket.Connect("localhost", namedPeer.Port()), SOCK_SUCCESS);
    EXPECT_EQ(socket.Connect("127.0.0.1", namedPeer.Port()), SOCK_ERROR);
    EXPECT_EQ(socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(socket.Handle(), -1);

    TestPki addressed("dalvero.test", true);
    FakePeer addressedPeer(PeerScript().ReadText().Reply("ok"), ServerFiles(addressed));
    const auto trustingAddressed = CreateClientTlsContext(addressed.caFile);
    SecureSocket other(trustingAddressed.get());
    EXPECT_EQ(other.Connect("127.0.0.1", addressedPeer.Port()), SOCK_SUCCESS);
    EXPECT_EQ(other.Connect("localhost", addressedPeer.Port()), SOCK_ERROR);
}

TEST(SecureSocketVerify, AChainFromAnotherAuthorityIsRefused) {
    TestPki pki;
    FakePeer peer(PeerScript().ReadText().Reply("ok"), ServerFiles(pki));
    const auto otherAuthority = CreateClientTlsContext(pki.otherCaFile);
    SecureSocket socket(otherAuthority.get());
    EXPECT_EQ(socket.Connect("localhost", peer.Port()), SOCK_ERROR);
    // The default context trusts only the system's authorities.
    SecureSocket systemTrust;
    EXPECT_EQ(systemTrust.Connect("localhost", peer.Port()), SOCK_ERROR);
    ASSERT_TRUE(peer.WaitFinished(2));
    EXPECT_EQ(peer.Problems().size(), 2u);
}

TEST(SecureSocketConnect, FailuresAreErrorsAndRaiseNothing) {
    SecureSocket socket;
    EXPECT_EQ(socket.Connect("127.0.0.1", test::ClosedPort()), SOCK_ERROR);
    EXPECT_EQ(socket.Connect(std::string(128, 'a'), 443), SOCK_ERROR);
    EXPECT_EQ(socket.Send("x"), SOCK_DISCONNECTED);
}

TEST(SecureSocketStream, PollingAfterTheHandshakeKeepsTheConnectionAndACloseReadsAsZeroThenDisconnected) {
    TestPki pki;
    FakePeer peer(PeerScript().ReadText().Reply("pong").Close(), ServerFiles(pki));
    const auto context = CreateClientTlsContext(pki.caFile);
    SecureSocket socket(context.get());
    ASSERT_EQ(socket.Connect("localhost", peer.Port()), SOCK_SUCCESS);
    // Post-handshake records (session tickets) carry no payload: once they
    // are here, the poll must read them and still return at once.
    pollfd ready{socket.Handle(), POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10'000), 1);
    EXPECT_TRUE(socket.IsConnected());
    EXPECT_TRUE(socket.IsConnected());
    ASSERT_EQ(socket.Send(std::string_view("ping\0", 5)), SOCK_SUCCESS);
    EXPECT_EQ(ReceiveText(socket, 10), "pong");
    char out[10];
    EXPECT_EQ(socket.Receive(out, sizeof out, 10, 0), 0);
    EXPECT_EQ(socket.State(), SOCK_STATE_IDLE);
    EXPECT_EQ(socket.Receive(out, sizeof out, 10, 0), SOCK_DISCONNECTED);
}

TEST(SecureSocketStream, AttachServesOurOwnServersAndCarriesLongMessages) {
    TestPki pki;
    test::Listener listener;
    const auto serverContext = CreateServerTlsContext(pki.certFile, pki.keyFile);
    std::string reply(200'000, 'r');
    for (std::size_t i = 0; i < reply.size(); i += 997) reply[i] = static_cast<char>('a' + i % 26);
    int attached = SOCK_ERROR;
    std::string request;
    std::thread server([&] {
        SecureSocket socket(serverContext.get());
        attached = socket.Attach(listener.Accept(), false);
        request = ReceiveText(socket, 10);
        socket.Send(reply.c_str(), reply.size() + 1);
        char end[1];
        socket.Receive(end, 1, 10, 0);  // until the client goes
    });
    const auto clientContext = CreateClientTlsContext(pki.caFile);
    SecureSocket client(clientContext.get());
    ASSERT_EQ(client.Connect("localhost", listener.Port()), SOCK_SUCCESS);
    ASSERT_EQ(client.Send(std::string_view("hello\0", 6)), SOCK_SUCCESS);
    // In pieces smaller than the message, as the client reads replies.
    std::string whole;
    std::vector<char> piece(50'001);
    int n;
    while ((n = client.ReceiveUntilNul(piece.data(), 50'000, 10, 0)) == 0) whole.append(piece.data(), 50'000);
    ASSERT_GT(n, 0);
    whole.append(piece.data(), static_cast<std::size_t>(n - 1));
    client.Close();
    server.join();
    EXPECT_EQ(attached, SOCK_SUCCESS);
    EXPECT_EQ(request, "hello");
    EXPECT_EQ(whole, reply);
}

TEST(SecureSocketStream, AttachRefusesAPeerThatDoesNotSpeakTls) {
    TestPki pki;
    const auto serverContext = CreateServerTlsContext(pki.certFile, pki.keyFile);
    auto [mine, theirs] = test::StreamPair();
    const std::string garbage = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(write(theirs, garbage.data(), garbage.size()), static_cast<ssize_t>(garbage.size()));
    SecureSocket socket(serverContext.get());
    EXPECT_EQ(socket.Attach(mine, false), SOCK_ERROR);
    EXPECT_FALSE(test::IsOpen(mine));
    EXPECT_EQ(socket.Attach(-1, false), SOCK_ERROR);
    close(theirs);
}

TEST(SecureSocketLifecycle, SocketsComeAndGoOnAnyThread) {
    TestPki pki;
    FakePeer peer(PeerScript().ReadText().Reply("ok"), ServerFiles(pki));
    const auto context = CreateClientTlsContext(pki.caFile);
    int result = SOCK_ERROR;
    std::thread worker([&] {
        { SecureSocket first(context.get()); }
        SecureSocket second(context.get());
        result = second.Connect("localhost", peer.Port());
    });
    worker.join();
    EXPECT_EQ(result, SOCK_SUCCESS);
    SecureSocket here(context.get());
    EXPECT_EQ(here.Connect("localhost", peer.Port()), SOCK_SUCCESS);
}

}  // namespace
}  // namespace dalvero
