#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db_server_connection.h"
#include "fake_peer.h"
#include "plain_socket.h"
#include "test_pki.h"

namespace dalvero {
namespace {

using test::FakePeer;
using test::PeerScript;
using test::TestPki;

constexpr int kGuardSeconds = 20;
const std::string kAccepted = "Date=45000.5,RunningFolder=/srv,RemoteIP=127.0.0.1,Accepted=Y";

PeerScript DataServerScript() { return PeerScript().ReadFrame().Reply(kAccepted).ReadFrame().Reply("Seq=1"); }

std::unique_ptr<dbServerConnection> DialTls(const std::string& host, const FakePeer& peer, const std::string& ca) {
    return std::make_unique<dbServerConnection>(host, peer.PortText(), "Dalvero", "", true, kGuardSeconds, ca);
}

TEST(ConnectionTls, AVerifiedServerCarriesTheHandshakeAndRequests) {
    TestPki pki("localhost");
    FakePeer peer(DataServerScript(), FakePeer::Tls{pki.certFile, pki.keyFile});
    auto db = DialTls("localhost", peer, pki.caFile);
    ASSERT_TRUE(db->Connected);
    EXPECT_DOUBLE_EQ(db->ServerDate, 45000.5);
    ASSERT_TRUE(db->Exchange(20002, 0, "V2,Cases"));
    EXPECT_EQ(db->ReplyText, "Seq=1");
    EXPECT_TRUE(db->IsConnected());
}

// Socket-level verification has its own tests; here the connection must pass
// its authority file and host name through and trust nothing else.
TEST(ConnectionTls, AServerThatCannotProveItselfIsNeverSpokenTo) {
    TestPki pki("dalvero.test", false);
    FakePeer peer(DataServerScript(), FakePeer::Tls{pki.certFile, pki.keyFile});
    EXPECT_FALSE(DialTls("127.0.0.1", peer, pki.caFile)->Connected);  // a name the certificate lacks
    ASSERT_TRUE(peer.WaitFinished(1));
    // An unreadable authority file is not replaced by another trust store:
    // nothing is even dialled.
    auto db = DialTls("127.0.0.1", peer, pki.dir + "/missing-ca.pem");
    EXPECT_FALSE(db->Connected);
    EXPECT_FALSE(db->Exchange(20002, 0, "V2,Cases"));
    EXPECT_EQ(peer.Connections(), 1u);
    EXPECT_TRUE(peer.Messages().empty());
}

}  // namespace
}  // namespace dalvero
