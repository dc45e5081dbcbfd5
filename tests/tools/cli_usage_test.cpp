// Help and usage errors: answered before any configuration or server is
// looked at, so these run in an empty folder.

#include "cli_runner.h"

namespace dalvero::test {
namespace {

TEST(CliUsage, HelpNamesEveryCommandAndOption) {
    TempDir empty;
    const CliResult help = RunCli(empty.Path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* word : {"query", "read", "find", "add", "update", "delete", "call", "get-file", "file-info",
                             "get-record-file", "put-record-file", "--key-to", "--alias-fields", "--owner",
                             "--backward", "--page", "--ini", "--timeout", "set-password", "ping", "--version"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    const CliResult query = RunCli(empty.Path(), {"query", "--help"});
    EXPECT_EQ(query.exitCode, 0);
    EXPECT_EQ(query.out.rfind("Usage: dalvero-cli query TABLE LIST", 0), 0u) << query.out;
    EXPECT_NE(query.out.find("--filter"), std::string::npos);
    EXPECT_EQ(query.out.find("--alias-fields"), std::string::npos) << "only query's own options";
}

TEST(CliUsage, BadCommandLinesExitTwoWithoutTouchingAServer) {
    TempDir empty;  // no Dalvero.ini: a usage error must be found first
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"frobnicate"},
        {"read", "Cases"},
        {"read", "Cases", "12", "13"},
        {"read", "Cases", "twelve"},
        {"read", "Cases", "0"},
        {"query", "Personnel", "L3", "--bogus"},
        {"query", "Personnel", "L3", "--max", "x"},
        {"query", "Personnel", "L3", "--max", "0"},
        {"query", "Personnel", "L3", "--max"},
        {"query", "Personnel", "L3", "--key", "1", "--key", "2"},
        {"query", "Personnel", "L3", "--backward=yes"},
        {"find", "Personnel", "L", "x@y"},
        {"add", "Patients"},
        {"add", "Patients", "f10"},
        {"add", "Patients", "=Ann"},
        {"update", "Patients", "5", "f12"},
        {"call", "getcasestatus", "ServerCommand=getcaseneedstatus"},
        {"get-record-file", "ProviderEntities", "1", "0", "logo.jpg"},
        {"--timeout", "0", "read", "Cases", "1"},
        {"--max-reply", "0", "read", "Cases", "1"},
        {"audit", "--from", "2026-13-45"},
        {"set-password"},  // whose: no --user
    };
    for (const auto& line : lines) {
        const CliResult result = RunCli(empty.Path(), line);
        std::string shown;
        for (const auto& arg : line) shown += arg + " ";
        EXPECT_EQ(result.exitCode, 2) << shown << result.err;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_NE(result.err.find("Try 'dalvero-cli --help'."), std::string::npos) << shown << result.err;
    }
}

TEST(CliUsage, OptionsEndAtDoubleDash) {
    TempDir empty;
    // After "--" an argument that looks like an option is a value: the line
    // is well formed, and only the missing configuration stops it.
    const CliResult result = RunCli(empty.Path(), {"find", "Personnel", "4", "--", "--owner"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("No Dalvero.ini"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace dalvero::test
