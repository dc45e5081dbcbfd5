// Function-server commands through "call".

#include "cli_runner.h"
#include "json_node.h"

namespace dalvero::test {
namespace {

TEST_F(CliServerTest, CallPrintsTheReplyAndFailsWithItsErrorText) {
    // Command names are sent in lower case, whatever was typed.
    const CliResult result = Run({"call", "GetICD9SymptomsForKeywords", "KeyWordPhrase=pneumonia"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    cJsonNode reply(result.out);
    EXPECT_EQ(reply.GetString("Error"), "");
    cJsonNode* data = reply.GetMember("Data");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetString("486"), "Pneumonia, organism unspecified") << result.out;
    // Strict JSON: every name quoted, as jq wants it.
    EXPECT_NE(result.out.find("\"486\":\"Pneumonia, organism unspecified\""), std::string::npos) << result.out;

    const CliResult failed = Run({"call", "nosuchcommand", "A=1"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, "Unknown server command \"nosuchcommand\".\n");
    // The reply itself still goes to stdout for scripts that read it.
    EXPECT_EQ(cJsonNode(failed.out).GetString("Error"), "Unknown server command \"nosuchcommand\".");

    // Bytes that are not UTF-8 are refused as the DataServer refuses them.
    const CliResult latin1 = Run({"call", "geticd9symptomsforkeywords", "KeyWordPhrase=caf\xe9"});
    EXPECT_EQ(latin1.exitCode, 1);
    EXPECT_EQ(latin1.err, "The value of KeyWordPhrase is not UTF-8 text; nothing was done.\n");
}

}  // namespace
}  // namespace dalvero::test
