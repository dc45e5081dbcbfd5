// Finding the configuration and reaching (or not) the servers it names.

#include "../net/socket_test_util.h"
#include "cli_runner.h"
#include "fake_peer.h"
#include "json_node.h"
#include "test_pki.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

constexpr char kDataRefused[] = "Unable to connect to data server\n";

TEST_F(CliServerTest, UnverifiableOrUnreachableDataServer) {
    TestPki pki;
    TempDir elsewhere;
    CliResult result;
    for (const std::string& ca : {pki.otherCaFile, (elsewhere.Path() / "absent.pem").string()}) {
        WriteIni(elsewhere.Path(), server.DataPort(), ca, server.FunctionPort());
        result = RunCli(elsewhere.Path(), {"read", "Personnel", "1"});
        EXPECT_EQ(result.exitCode, 1) << ca;
        EXPECT_EQ(result.err, kDataRefused) << ca;
    }

    WriteIni(elsewhere.Path(), ClosedPort(), server.CaFile(), ClosedPort());
    result = RunCli(elsewhere.Path(), {"query", "Personnel", "L2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, kDataRefused);
    EXPECT_EQ(result.out, "");
    result = RunCli(elsewhere.Path(), {"call", "getcasestatus", "SeqList=1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Unable to connect to function server\n");
}

TEST_F(CliServerTest, ConfigurationNamedOrFound) {
    TempDir elsewhere;
    const CliResult none = RunCli(elsewhere.Path(), {"read", "Personnel", "1"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("No Dalvero.ini"), std::string::npos) << none.err;

    // A Dalvero.ini in the working folder is not read unless named; the one
    // in the user's configuration folder is, and DALVERO_INI goes before it.
    WriteIni(elsewhere.Path(), server.DataPort(), server.CaFile(), server.FunctionPort());
    const std::string unnamedIni = "DALVERO_INI=";  // empty: RunCli's naming of the folder's file undone
    const CliResult unnamed =
        RunCli(elsewhere.Path(), LoggedIn({"query", "Personnel", "L2", "--max", "1"}), {unnamedIni});
    EXPECT_EQ(unnamed.exitCode, 1);
    EXPECT_NE(unnamed.err.find("No Dalvero.ini"), std::string::npos) << unnamed.err;
    fs::create_directories(elsewhere.Path() / ".config" / "dalvero");
    fs::rename(elsewhere.Path() / "Dalvero.ini", elsewhere.Path() / ".config" / "dalvero" / "Dalvero.ini");
    const CliResult user = RunCli(elsewhere.Path(), LoggedIn({"query", "Personnel", "L2", "--max", "1"}));
    EXPECT_EQ(user.exitCode, 0) << user.err;
    const CliResult named = RunCli(elsewhere.Path(), LoggedIn({"query", "Personnel", "L2", "--max", "1"}),
                                   {"DALVERO_INI=" + (elsewhere.Path() / "absent.ini").string()});
    EXPECT_EQ(named.err, "Unable to read " + (elsewhere.Path() / "absent.ini").string() + "\n");

    const CliResult unreadable = RunCli(elsewhere.Path(), {"--ini", "absent.ini", "read", "Personnel", "1"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_EQ(unreadable.err, "Unable to read absent.ini\n");

    // A relative CAFile is found beside the configuration, not in the
    // folder the tool runs in.
    TempDir config;
    fs::copy_file(server.CaFile(), config.Path() / "ca.pem");
    WriteIni(config.Path(), server.DataPort(), "ca.pem", server.FunctionPort());
    const CliResult relative = RunCli(elsewhere.Path(), LoggedIn({"query", "Personnel", "L2", "--max", "1", "--fields",
                                                                  "f13", "--ini", (config.Path() / "Dalvero.ini").string()}));
    EXPECT_EQ(relative.exitCode, 0) << relative.err;
    EXPECT_EQ(ParseRows(relative.out).size(), 2u);
}

TEST(CliFunctionServer, SilentServerTimesOutAsAFailedCommand) {
    // Reads the command and never answers; over TLS verified against the
    // FunctionServer's own authority.
    TestPki pki;
    FakePeer peer(PeerScript().ReadText(), FakePeer::Tls{pki.certFile, pki.keyFile});
    TempDir work;
    WriteIni(work.Path(), ClosedPort(), pki.otherCaFile, peer.Port(), pki.caFile);
    const CliResult result =
        RunCli(work.Path(), {"--timeout", "1", "call", "geticd9symptomsforkeywords", "KeyWordPhrase=heart failure"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "No reply from the function server\n");
    EXPECT_EQ(result.out, "");

    ASSERT_TRUE(peer.WaitFinished(1));
    const auto messages = peer.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].framed);
    const cJsonNode request(messages[0].Text());
    EXPECT_EQ(request.GetString("ServerCommand"), "geticd9symptomsforkeywords");
    EXPECT_EQ(request.GetString("KeyWordPhrase"), "heart failure");
    EXPECT_EQ(request.Count(), 2);
}

}  // namespace
}  // namespace dalvero::test
