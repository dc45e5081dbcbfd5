// What both ports show an outsider: only forward-secret AEAD suites under
// TLS 1.2 (tried with the openssl tool), and a failure the client did not
// cause answered in general words, its detail kept for the server's log.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "frame.h"
#include "real_server.h"
#include "record_batch.h"
#include "server_config.h"
#include "test_store.h"

namespace dalvero::test {
namespace {

// Whether `openssl s_client` completes a TLS 1.2 handshake offering only
// the suites of cipherList.
bool Tls12HandshakeWith(int port, const std::string& cipherList) {
    const std::string command = "openssl s_client -connect 127.0.0.1:" + std::to_string(port) +
                                " -tls1_2 -cipher '" + cipherList + "' </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(TransportSecurity, BothPortsOfferOnlyForwardSecretAeadSuitesUnderTls12) {
    RealServer server(RealServer::Demo);
    for (const int port : {server.DataPort(), server.FunctionPort()}) {
        EXPECT_TRUE(Tls12HandshakeWith(port, "ECDHE+AESGCM")) << port;
        EXPECT_TRUE(Tls12HandshakeWith(port, "ECDHE+CHACHA20")) << port;
        // CBC with SHA-1 or SHA-2 MACs, and suites without an ephemeral key.
        EXPECT_FALSE(Tls12HandshakeWith(port, "ECDHE:!AESGCM:!CHACHA20:@SECLEVEL=0")) << port;
        EXPECT_FALSE(Tls12HandshakeWith(port, "ALL:!ECDHE:!DHE:@SECLEVEL=0")) << port;
    }
}

TEST(TransportSecurity, AnUnexpectedStoreFailureIsAnsweredWithoutItsDetail) {
    RealServer server(RealServer::Demo);
    ExecuteOnStore(server::LoadServerConfig(server.DataDir()).storage, "DROP TABLE \"ICD9Symptom\"");

    auto connection = server.ConnectData();
    cRecordBatch codes;
    EXPECT_FALSE(codes.Query(connection.get(), "ICD9Symptom", "L2", "", "", 0, 10, "f10", "", "", "F"));
    const std::string said = connection->ErrorText + (codes.Set ? codes.Set->Message : "");
    EXPECT_NE(said.find("the fault has been logged"), std::string::npos) << said;
    EXPECT_EQ(said.find("ICD9Symptom"), std::string::npos) << said;
    EXPECT_EQ(said.find("no such table"), std::string::npos) << said;
    EXPECT_TRUE(connection->Exchange(frame::cmd::kServerDate, 0, "")) << "the connection stays usable";
}

}  // namespace
}  // namespace dalvero::test
