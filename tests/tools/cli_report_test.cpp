// The state discharge data file and the NF placement call list made from
// the demo hospital's closed cases, and a patient's choice list.

#include <algorithm>
#include <sstream>

#include "cli_runner.h"
#include "ended_pieces.h"
#include "shell_command.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

TEST_F(CliServerTest, StateFileHoldsEveryClosedCaseOfTheRangeInItsColumns) {
    const std::string hospital = HospitalSeq();
    const Rows cases = ParseRows(Ok({"query", "Cases", "L8", "--key", hospital, "--filter", "f18=Y", "--fields",
                                     "f13,f22,P13", "--aliases", "P=Patients:f10"}));
    ASSERT_GT(cases.size(), 10u);
    const Rows hospitalRecord = ParseRows(Ok({"read", "ProviderEntities", hospital}));
    ASSERT_EQ(hospitalRecord.size(), 2u);
    const std::string npi = hospitalRecord[1][Column(hospitalRecord, "f26")];
    ASSERT_EQ(npi.size(), 10u);

    EXPECT_NE(Ok({"state-file", "--from", "20000101", "--to", "20991231", "--out", ".", "--spreadsheet",
                  "sheet.xls"})
                  .find("View.txt"),
              std::string::npos);
    const fs::path file = work.Path() / "View.txt";
    const std::vector<std::string> lines = EndedPieces(ReadFile(file), "\r\n");
    ASSERT_EQ(lines.size(), cases.size() - 1);
    for (const std::string& line : lines) ASSERT_EQ(line.size(), 670u);
    // In discharge order, as the server lists them.
    const auto& first = cases[1];
    const std::string& discharge = first[Column(cases, "f13")];
    EXPECT_EQ(lines[0].substr(35, 8), discharge.substr(4, 4) + discharge.substr(0, 4)) << "mmddyyyy of the date part";
    EXPECT_EQ(lines[0].substr(598, 9), first[Column(cases, "P13")]);
    EXPECT_EQ(lines[0].substr(616, 12), (first[Column(cases, "f22")] + "            ").substr(0, 12));
    EXPECT_NE(lines[0].substr(43, 7), std::string(7, ' ')) << "every demo case has a principal diagnosis";
    EXPECT_EQ(lines[0].substr(636, 10), npi);
    EXPECT_EQ(FileMode(file), 0600u);

    const std::vector<std::string> sheet = EndedPieces(ReadFile(work.Path() / "sheet.xls"), "\r\n");
    EXPECT_EQ(sheet.size(), cases.size());
    EXPECT_EQ(FileMode(work.Path() / "sheet.xls"), 0600u);

    // The late ones, each with its primary physician (every demo case has one).
    const Rows late = ParseRows(Ok({"late-discharges", "--from", "20000101", "--to", "20991231"}));
    ASSERT_FALSE(late.empty());
    ASSERT_LT(late.size(), lines.size());
    for (const auto& row : late) {
        ASSERT_EQ(row.size(), 7u);
        EXPECT_NE(row[4], "");
    }

    // A range without discharges makes an empty file; a range the wrong way
    // round is refused before any server is asked.
    Ok({"state-file", "--from", "19900101", "--to", "19900331", "--out", "empty.txt"});
    EXPECT_EQ(ReadFile(work.Path() / "empty.txt"), "");
    EXPECT_EQ(Run({"state-file", "--from", "20240401", "--to", "20240101", "--out", "x.txt"}).exitCode, 2);
    EXPECT_NE(Fails({"state-file", "--from", "20000101", "--to", "20991231", "--out", "no/View.txt"}, 1)
                  .find("Unable to write no/View.txt"),
              std::string::npos);
}

TEST_F(CliServerTest, NFCallListPrintsTheRefusalsOfACasesNursingFacilityNeed) {
    const Rows cases = ParseRows(Ok({"query", "Cases", "L8", "--key", HospitalSeq(), "--filter", "f18=Y", "--fields",
                                     "f22,P12", "--aliases", "P=Patients:f10"}));
    // Closed demo cases carry refusals on their needs; the first case with
    // a nursing facility need gives a list, the others are refused.
    std::string lastName;
    for (std::size_t i = 1; i < cases.size() && lastName.empty(); ++i) {
        const CliResult made = Run({"nf-call-list", "--case", cases[i][Column(cases, "f22")], "--pdf", "list.pdf"});
        if (made.exitCode == 0) lastName = cases[i][Column(cases, "P12")];
        else EXPECT_NE(made.err.find("has no nursing facility need"), std::string::npos) << made.err;
    }
    ASSERT_FALSE(lastName.empty());
    const fs::path pdf = work.Path() / "list.pdf";
    EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(FileMode(pdf), 0600u);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Call List for NF Placement"), std::string::npos) << text;
    EXPECT_NE(text.find(lastName), std::string::npos) << "the patient's last name";
    EXPECT_NE(text.find("Administration Days Usage:"), std::string::npos);

    EXPECT_NE(Fails({"nf-call-list", "--case", "no-such-case", "--pdf", "none.pdf"}, 1).find("No case no-such-case"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(work.Path() / "none.pdf"));
}

// The miles of each provider row of a choice list's text: the last word of
// a line that names a phone number.
std::vector<int> ChoiceMiles(const std::string& text) {
    std::vector<int> miles;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(") 555-") != std::string::npos) miles.push_back(std::stoi(line.substr(line.find_last_of(' '))));
    return miles;
}

TEST_F(CliServerTest, ChoiceListPrintsTheProvidersWithinTheRadiusForTheSignature) {
    const Rows open = ParseRows(Ok({"query", "Cases", "L4", "--key", HospitalSeq(), "--fields", "f22,P12",
                                    "--aliases", "P=Patients:f10"}));
    ASSERT_GT(open.size(), 2u);
    const std::string number = open[1][Column(open, "f22")];
    const std::string caseSeq = open[1][0];
    const Rows needs = ParseRows(Ok({"query", "CaseNeeds", "L2", "--key", caseSeq, "--filter", "f5!=Y"}));
    ASSERT_GT(needs.size(), 1u);
    const std::string need = needs[1][0];

    const std::vector<std::string> made = EndedPieces(
        Ok({"choice-list", "--case", number, "--need", need, "--radius", "60", "--pdf", "."}), "\n");
    const fs::path pdf = work.Path() / "ChoiceList.pdf";
    EXPECT_EQ(FileMode(pdf), 0600u);
    const std::string wide = PdfText(pdf);
    for (const char* line : {"Post-Acute Care Provider Choice List", "Providers marked PREFERRED are preferred",
                             "interest in or an agreement with them", "Signature of patient or representative:",
                             "Date:", "Provider chosen:"})
        EXPECT_NE(wide.find(line), std::string::npos) << line << "\n" << wide;
    EXPECT_NE(wide.find(open[1][Column(open, "P12")]), std::string::npos) << "the patient's last name";
    const std::vector<int> wideMiles = ChoiceMiles(wide);
    ASSERT_FALSE(wideMiles.empty()) << wide;
    EXPECT_EQ(made.at(0), std::to_string(wideMiles.size()) + " providers: ./ChoiceList.pdf");

    // A radius that leaves some out keeps only those inside it.
    const int cut = *std::max_element(wideMiles.begin(), wideMiles.end()) - 1;
    ASSERT_GT(cut, 0);
    Ok({"choice-list", "--case", number, "--need", need, "--radius", std::to_string(cut), "--pdf", "near.pdf"});
    const std::vector<int> near = ChoiceMiles(PdfText(work.Path() / "near.pdf"));
    EXPECT_LT(near.size(), wideMiles.size());
    for (const int miles : near) EXPECT_LE(miles, cut);

    EXPECT_NE(Fails({"choice-list", "--case", open[2][Column(open, "f22")], "--need", need, "--pdf", "other.pdf"}, 1)
                  .find("has no need " + need),
              std::string::npos);
    EXPECT_FALSE(fs::exists(work.Path() / "other.pdf"));
}

}  // namespace
}  // namespace dalvero::test
