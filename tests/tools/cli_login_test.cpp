// Logging in from the command line, and the audit trail for the privacy officer.

#include <cstdlib>

#include "cli_runner.h"

namespace dalvero::test {
namespace {

TEST_F(CliServerTest, LogsInWithAPasswordFromAFileOrTheEnvironment) {
    const auto& admin = server.DemoUser("Administrator");
    const CliResult anonymous = RunCli(work.Path(), {"read", "Personnel", "1"});
    EXPECT_EQ(anonymous.exitCode, 4);
    EXPECT_EQ(anonymous.err, "Log in first\n");
    // After the command word --user is audit's filter, and the refusal says so.
    const CliResult filterOnly = RunCli(work.Path(), {"audit", "--user", admin.email});
    EXPECT_EQ(filterOnly.exitCode, 4);
    EXPECT_NE(filterOnly.err.find("log in with --user EMAIL before 'audit'"), std::string::npos) << filterOnly.err;
    const CliResult noSession = RunCli(work.Path(), {"call", "getcasestatus", "SeqList=1"});
    EXPECT_EQ(noSession.exitCode, 1);

    WriteFile(work.Path() / "wrong", "not it\n");
    const CliResult wrong = RunCli(work.Path(), {"--user", admin.email, "--password-file", "wrong", "read", "Cases", "1"});
    EXPECT_EQ(wrong.exitCode, 4);
    EXPECT_EQ(wrong.err, "Invalid login\n");

    const CliResult fromEnvironment =
        RunCli(work.Path(), {"--user", admin.email, "read", "Cases", "1"}, {"DALVERO_PASSWORD=" + admin.password});
    EXPECT_EQ(fromEnvironment.exitCode, 0) << fromEnvironment.err;
    // The stored password never reaches the tool.
    const Rows me = ParseRows(Ok({"find", "Personnel", "4", admin.email}));
    ASSERT_EQ(me.size(), 2u);
    EXPECT_EQ(me[1][Column(me, "f23")], "");
}

TEST_F(CliServerTest, AuditShowsWhoTouchedAPatientAndWhatAPersonDid) {
    const auto& admin = server.DemoUser("Administrator");
    const Rows theCase = ParseRows(Ok({"read", "Cases", "1"}));
    ASSERT_EQ(theCase.size(), 2u);
    const std::string patient = theCase[1][Column(theCase, "f10")];
    // The hospital's cases, of many patients: one row for the whole list.
    ASSERT_GE(ParseRows(Ok({"query", "Cases", "L8", "--key", theCase[1][Column(theCase, "f11")], "--max", "500"})).size(), 3u);

    const Rows byPatient = ParseRows(Ok({"audit", "--patient", patient}));
    ASSERT_EQ(byPatient.size(), 3u);
    for (std::size_t i = 1; i < byPatient.size(); ++i) {
        EXPECT_EQ(byPatient[i][Column(byPatient, "action")] + " " + byPatient[i][Column(byPatient, "table")],
                  "read Cases");
        EXPECT_EQ(byPatient[i][Column(byPatient, "e-mail")], admin.email);
    }
    EXPECT_EQ(byPatient[1][Column(byPatient, "patient")], patient);
    EXPECT_EQ(byPatient[2][Column(byPatient, "patient")], "");
    EXPECT_NE(byPatient[2][Column(byPatient, "patients")], "");

    // --user after the command word filters; before it, it logs in.
    const Rows byUser = ParseRows(Ok({"audit", "--user", admin.email}));
    bool loggedIn = false;
    for (std::size_t i = 1; i < byUser.size(); ++i) loggedIn |= byUser[i][Column(byUser, "action")] == "login";
    EXPECT_TRUE(loggedIn);
    EXPECT_EQ(ParseRows(Ok({"audit", "--from", "2000-01-01", "--to", "20000102"})).size(), 1u);  // header only

    // Planners do not read the trail.
    const auto& planner = server.DemoUser("Discharge Planner");
    WriteFile(work.Path() / "planner", planner.password + "\n");
    const CliResult refused = RunCli(work.Path(), {"--user", planner.email, "--password-file", "planner", "audit"});
    EXPECT_EQ(refused.exitCode, 6);
    EXPECT_EQ(refused.err, "The audit trail is for administrators\n");
}

}  // namespace
}  // namespace dalvero::test
