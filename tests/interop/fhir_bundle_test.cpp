// The Bundle of cases built in the test, checked by the FHIR R4 validator:
// a case with every optional part empty, and one whose texts need escaping.

#include <gtest/gtest.h>

#include <fstream>

#include "fhir_bundle.h"
#include "shell_command.h"
#include "temp_dir.h"

namespace dalvero::test {
namespace {

class FhirBundleFiles : public ::testing::Test {
protected:
    // The case's Bundle in a file of the test's folder.
    std::filesystem::path Write(const std::string& name, const FhirCase& c) {
        const std::filesystem::path path = dir.Path() / name;
        std::ofstream(path) << FhirBundleJson(c);
        return path;
    }

    TempDir dir{"dalvero-fhir-test"};
};

TEST_F(FhirBundleFiles, CaseWithEveryOptionalPartEmptyIsAValidBundleWithoutEmptyValues) {
    FhirCase bare;
    bare.seq = "7";
    bare.patientSeq = "3";
    // A family contact and a quote that hold nothing but their records.
    bare.family.push_back({"11", "", "", "", "", "", "", "", ""});
    bare.needs.push_back({"21", "", "", "", "", false, {{"31", "", "", ""}}});
    const std::string json = FhirBundleJson(bare);
    for (const char* empty : {"\"\"", "{}", "[]"}) EXPECT_EQ(json.find(empty), std::string::npos) << empty;
    EXPECT_NE(json.find(R"("status":"in-progress")"), std::string::npos) << "no discharge yet";
    const ShellResult validated = ValidateFhir({Write("bare.json", bare)});
    EXPECT_EQ(validated.exitCode, 0) << validated.out;
}

TEST_F(FhirBundleFiles, TextsAreEscapedAndCodesAndTimesTakeTheirFhirForms) {
    FhirCase c;
    c.seq = "7";
    c.patientSeq = "3";
    c.patient = {"3", "", "Zoë \"Jo\"", "", "O'Neil\\Smith", "6145550100", "", "", ""};
    c.admission = "20240102";
    c.discharge = "20240105143000";
    c.sex = "F";
    c.diagnoses = {{"40", "82021", "Line one\r\nline\ttwo\x01"}, {"41", "E8490", "Home"}};
    c.procedures = {{"50", "8154", "Knee"}};
    c.insurances = {"", "Medicare", ""};
    c.needs.push_back({"21", "140", "Skilled Nursing Facility", "202401061000", "Bed", false,
                       {{"31", "20240103090000", "A", "9"}, {"32", "20240103090000", "Q", "9"}}});
    c.providers.push_back({"9", "Cedar & Sons", "", "", "", "", ""});
    const std::string json = FhirBundleJson(c);
    EXPECT_NE(json.find(R"("given":["Zoë \"Jo\""])"), std::string::npos);
    EXPECT_NE(json.find(R"("Line one\r\nline\ttwo\u0001")"), std::string::npos);
    EXPECT_NE(json.find(R"("code":"820.21")"), std::string::npos);
    EXPECT_NE(json.find(R"("code":"E849.0")"), std::string::npos);
    EXPECT_NE(json.find(R"("code":"81.54")"), std::string::npos);
    // Only the secondary insurance is given: it keeps its place.
    EXPECT_NE(json.find(R"("payor":[{"display":"Medicare"}],"order":2)"), std::string::npos);
    // An unknown quote status leaves the task open and shows the stored code.
    EXPECT_NE(json.find(R"("status":"requested","businessStatus":{"text":"Q"})"), std::string::npos);
    const ShellResult validated = ValidateFhir({Write("texts.json", c)});
    EXPECT_EQ(validated.exitCode, 0) << validated.out;
}

}  // namespace
}  // namespace dalvero::test
