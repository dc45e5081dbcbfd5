// A demo case's referral as a FHIR R4 Bundle, checked by the R4 validator.

#include "cli_runner.h"
#include "shell_command.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

TEST_F(CliServerTest, FhirExportOfDemoCasesValidatesAndCarriesTheirRecords) {
    const std::string hospital = HospitalSeq();
    const Rows open = ParseRows(Ok({"query", "Cases", "L4", "--key", hospital, "--fields", "f22,P13",
                                    "--aliases", "P=Patients:f10"}));
    const Rows closed =
        ParseRows(Ok({"query", "Cases", "L3", "--key", hospital, "--filter", "f18=Y", "--fields", "f22"}));
    ASSERT_GT(open.size(), 2u);
    ASSERT_GT(closed.size(), 2u);
    // Each export logs in anew; the ends of both lists stand for the rest.
    const std::vector<std::string> numbers{open[1][Column(open, "f22")], open.back()[Column(open, "f22")],
                                           closed[1][Column(closed, "f22")], closed.back()[Column(closed, "f22")]};
    std::vector<fs::path> files;
    for (const std::string& number : numbers) {
        files.push_back(work.Path() / (number + ".json"));
        Ok({"fhir-export", "--case", number, "--out", files.back().string()});
    }
    const ShellResult validated = ValidateFhir(files);
    EXPECT_EQ(validated.exitCode, 0) << validated.out;

    const std::string first = ReadFile(files[0]);
    EXPECT_NE(first.find(R"({"system":"http://hl7.org/fhir/sid/us-ssn","value":")" + open[1][Column(open, "P13")] +
                         "\""),
              std::string::npos);
    EXPECT_NE(first.find(R"("identifier":[{"value":")" + numbers[0] + "\"}]"), std::string::npos);
    EXPECT_NE(first.find(R"("resourceType":"ServiceRequest")"), std::string::npos) << "every open demo case has needs";
    EXPECT_EQ(FileMode(files[0]), 0600u);

    EXPECT_NE(Fails({"fhir-export", "--case", "no-such-case", "--out", "x.json"}, 1)
                  .find("No case no-such-case in your hospital"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(work.Path() / "x.json"));
}

}  // namespace
}  // namespace dalvero::test
