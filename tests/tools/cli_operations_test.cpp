// What a script run by hospital IT relies on: exit statuses that tell
// failures apart, output that must arrive, a password set without the
// command line, a health check.

#include <sys/wait.h>

#include <cstdlib>

#include "../net/socket_test_util.h"
#include "cli_runner.h"
#include "fake_peer.h"
#include "test_pki.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliServerTest, ExitStatusesTellFailuresApart) {
    Fails({"read", "Personnel", "999999"}, 3);

    const auto& planner = server.DemoUser("Discharge Planner");
    WriteFile(work.Path() / "planner", planner.password + "\n");
    const CliResult refused = RunCli(work.Path(), {"--user", planner.email, "--password-file", "planner", "update",
                                                   "Personnel", "1", "f13=Changed"});
    EXPECT_EQ(refused.exitCode, 6) << refused.err;

    // A wait long enough to meet the second try.
    server.SetSecurity("LoginDelaySeconds", "60");
    server.WriteClientIni(work.Path());
    WriteFile(work.Path() / "wrong", "not the password\n");
    const std::vector<std::string> wrong{"--user", planner.email, "--password-file", "wrong", "read", "Cases", "1"};
    EXPECT_EQ(RunCli(work.Path(), wrong).exitCode, 4);
    // Straight after a failure the account waits, and the wait is told.
    const CliResult throttled = RunCli(work.Path(), wrong);
    EXPECT_EQ(throttled.exitCode, 5);
    EXPECT_TRUE(Has(throttled.err, "retry in ")) << throttled.err;
}

TEST(CliLostAnswer, ChangeSentWithoutAnAnswerSaysItMayHaveBeenMade) {
    TestPki pki;
    auto script = [] {
        return PeerScript().ReadFrame().Reply("Date=45000,Accepted=Y").ReadFrame().Close();
    };
    TempDir work;
    FakePeer addPeer(script(), FakePeer::Tls{pki.certFile, pki.keyFile});
    WriteIni(work.Path(), addPeer.Port(), pki.caFile, ClosedPort());
    const CliResult add = RunCli(work.Path(), {"add", "Patients", "f10=Ann"});
    EXPECT_EQ(add.exitCode, 8);
    EXPECT_TRUE(Has(add.err, "connection lost before the answer: the change may have been made")) << add.err;

    // A read that loses its answer changed nothing: the server is away.
    FakePeer readPeer(script(), FakePeer::Tls{pki.certFile, pki.keyFile});
    WriteIni(work.Path(), readPeer.Port(), pki.caFile, ClosedPort());
    EXPECT_EQ(RunCli(work.Path(), {"read", "Patients", "1"}).exitCode, 7);
}

TEST_F(CliServerTest, ValuesTheStoreCannotGiveBackAreRefusedOrWarnedOf) {
    EXPECT_TRUE(Has(Fails({"add", "Patients", "f10=Ren\xe9", "f12=Smith"}, 1), "f10 of Patients is not UTF-8 text"));

    const CliResult piped = Run({"add", "Patients", "f10=Ann||Marie", "f12=~~~"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(Has(piped.err, "warning: the \"||\" in f10 reads back as a line break")) << piped.err;
    EXPECT_TRUE(Has(piped.err, "warning: f12=~~~ is stored as an empty value")) << piped.err;
}

TEST_F(CliServerTest, OutputThatCannotBeWrittenFails) {
    const CliResult full = RunCli(work.Path(), LoggedIn({"query", "Personnel", "L2", "--max", "1"}));
    ASSERT_EQ(full.exitCode, 0) << full.err;
    // The same command with its output on a full device.
    const std::string shell = "'" + std::string(DALVERO_CLI_PATH) + "' --ini '" + (work.Path() / "Dalvero.ini").string() +
                              "' --user '" + server.DemoUser("Administrator").email + "' --password-file '" +
                              PasswordFile() + "' query Personnel L2 --max 1 > /dev/full 2>/dev/null";
    const int status = std::system(shell.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

TEST_F(CliServerTest, PasswordSetFromAFileOrStandardInputNeverTheCommandLine) {
    const auto& planner = server.DemoUser("Discharge Planner");
    WriteFile(work.Path() / "old", planner.password + "\n");
    const CliResult own = RunCli(work.Path(), {"--user", planner.email, "--password-file", "old", "set-password",
                                               "--password-file", "-"},
                                 {}, "A new one 1\n");
    ASSERT_EQ(own.exitCode, 0) << own.err;
    WriteFile(work.Path() / "new", "A new one 1\n");
    EXPECT_EQ(RunCli(work.Path(), {"--user", planner.email, "--password-file", "new", "read", "Personnel", "1"}).exitCode,
              0);

    // An administrator sets another's; a planner may not.
    WriteFile(work.Path() / "third", "Third 3\n");
    EXPECT_EQ(Run({"set-password", planner.email, "--password-file", "third"}).exitCode, 0);
    EXPECT_EQ(RunCli(work.Path(), {"--user", planner.email, "--password-file", "third", "set-password",
                                   server.DemoUser("Administrator").email, "--password-file", "new"})
                  .exitCode,
              6);

    // A password file others may read is refused before anything is sent.
    fs::permissions(work.Path() / "third", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const CliResult open = RunCli(work.Path(), {"--user", planner.email, "--password-file", "third", "ping"});
    const CliResult loose = RunCli(work.Path(), {"--user", planner.email, "--password-file", "third", "read",
                                                 "Personnel", "1"});
    EXPECT_EQ(loose.exitCode, 1);
    EXPECT_TRUE(Has(loose.err, "may be read by other users")) << loose.err;
    EXPECT_EQ(open.exitCode, 0) << open.err;
}

TEST_F(CliServerTest, PingAnswersWithoutALogIn) {
    const CliResult ping = RunCli(work.Path(), {"ping"});
    ASSERT_EQ(ping.exitCode, 0) << ping.err;
    EXPECT_TRUE(Has(ping.out, "is up: version " DALVERO_VERSION ", server time ")) << ping.out;
    EXPECT_TRUE(Has(ping.out, "Function server 127.0.0.1:" + std::to_string(server.FunctionPort()) + " is up"));
    // No one logs in, even with --user given: the trail grows between two
    // audits by their own rows only.
    auto rows = [&] { return ParseRows(Ok({"audit"})).size(); };
    const std::size_t first = rows();
    const std::size_t second = rows();
    ASSERT_EQ(Run({"ping"}).exitCode, 0);
    EXPECT_EQ(rows() - second, second - first);

    const CliResult version = RunCli(work.Path(), {"--version"});
    EXPECT_EQ(version.out, "dalvero-cli " DALVERO_VERSION "\n");
}

}  // namespace
}  // namespace dalvero::test
