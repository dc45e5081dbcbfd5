// The state discharge data file's two writers on records built here.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ended_pieces.h"
#include "report_files.h"
#include "state_file.h"
#include "temp_dir.h"

namespace dalvero::test {
namespace {

// Columns as the state's format counts them, from 1.
std::string Columns(const std::string& line, std::size_t first, std::size_t width) {
    return line.substr(first - 1, width);
}

ReportRecordDataClass FullRecord() {
    ReportRecordDataClass r;
    r.birthDate = {1941, 7, 4};
    r.zipCode = "43210";
    r.admissionDate = {2024, 3, 1};
    r.dischargeDate = {2024, 3, 9};
    std::vector<std::string> diagnoses{"82021"};
    for (int i = 1; i <= 29; ++i) diagnoses.push_back("D" + std::to_string(i));
    std::vector<std::string> procedures(21, "8154");
    procedures.front() = "7935";
    SetCodes(r, diagnoses, procedures);
    r.patientSsn = "912-34-5678";
    r.patientDisposition = "1";
    r.totalCharges = 5000;
    r.abstractRecordNumber = "24-100231-LONGER-THAN-TWELVE";
    r.nationalProviderId = "0123456789";
    r.principalLanguage = "ENG";
    return r;
}

TEST(StateFile, LinesAre670CharactersWithEveryFieldAtItsColumns) {
    ReportRecordDataClass empty;
    const auto lines = StateFileLines({FullRecord(), empty});
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2u);
    const std::string& line = (*lines)[0];
    for (const std::string& each : *lines) EXPECT_EQ(each.size(), kStateLineLength);

    EXPECT_EQ(Columns(line, 1, 1), "0");
    EXPECT_EQ(Columns(line, 2, 6), "      ");
    EXPECT_EQ(Columns(line, 8, 8), "07041941");
    EXPECT_EQ(Columns(line, 16, 3), "000");
    EXPECT_EQ(Columns(line, 19, 5), "43210");
    EXPECT_EQ(Columns(line, 24, 8), "03012024");
    EXPECT_EQ(Columns(line, 36, 8), "03092024");
    EXPECT_EQ(Columns(line, 44, 8), "82021   ");
    EXPECT_EQ(Columns(line, 52, 8), "D1      ");
    EXPECT_EQ(Columns(line, 52 + 23 * 8, 8), "D24     ") << "the 25th and later are dropped";
    EXPECT_EQ(Columns(line, 244, 15), "7935           ");
    EXPECT_EQ(Columns(line, 259 + 19 * 15, 15), "8154           ");
    // Numbers are right-justified with leading zeros; zeros on the right
    // would turn a disposition of 1 into 10 and charges of 5000 into 5000000.
    EXPECT_EQ(Columns(line, 599, 9), "912345678");
    EXPECT_EQ(Columns(line, 608, 2), "01");
    EXPECT_EQ(Columns(line, 610, 7), "0005000");
    EXPECT_EQ(Columns(line, 617, 12), "24-100231-LO");
    EXPECT_EQ(Columns(line, 630, 7), "0000000");
    EXPECT_EQ(Columns(line, 637, 10), "0123456789");
    EXPECT_EQ(Columns(line, 647, 24), "ENG                     ");

    // No dates: eight blanks each, the birth date in columns 8 to 15.
    const std::string& blank = (*lines)[1];
    EXPECT_EQ(Columns(blank, 8, 8), std::string(8, ' '));
    EXPECT_EQ(Columns(blank, 24, 8), std::string(8, ' '));
    EXPECT_EQ(Columns(blank, 599, 9), "000000000");
}

TEST(StateFile, OverlongNumbersAndStrayBytesKeepTheColumns) {
    ReportRecordDataClass r;
    r.totalCharges = 123456789;
    r.zipCode = "4\t3\r\n0";
    r.abstractRecordNumber = "Z\xc3\xbcrich";
    const std::string line = StateFileLines({r})->front();
    EXPECT_EQ(line.size(), kStateLineLength);
    EXPECT_EQ(Columns(line, 610, 7), "9999999");
    EXPECT_EQ(Columns(line, 19, 5), "4 3  ");
    EXPECT_EQ(Columns(line, 617, 12), "Z  rich     ");
}

TEST(StateFile, FourThousandFourHundredSixtyFourRecordsAreTheMost) {
    std::vector<ReportRecordDataClass> records(kMaxStateFileRecords);
    EXPECT_EQ(StateFileLines(records)->size(), 4464u);
    records.emplace_back();
    EXPECT_FALSE(StateFileLines(records));
    // The spreadsheet has no such limit.
    EXPECT_EQ(StateSpreadsheetLines(records).size(), 4466u);
}

TEST(StateFile, SpreadsheetHasItsTitleLineAndOneTabEndedValuePerField) {
    ReportRecordDataClass r = FullRecord();
    r.abstractRecordNumber = "24\t100";
    const std::vector<std::string> lines = StateSpreadsheetLines({r});
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<std::string> titles = EndedPieces(lines[0], "\t");
    const std::vector<std::string> values = EndedPieces(lines[1], "\t");
    ASSERT_EQ(titles.size(), 15u + 48u + 2u + 40u + 2u + 8u + 10u);
    ASSERT_EQ(values.size(), titles.size());
    EXPECT_EQ(titles.front(), "Type of Care");
    EXPECT_EQ(titles[15], "Other Diagnosis ICD Code");
    EXPECT_EQ(titles.back(), "Principal Language");
    EXPECT_EQ(values[2], "07/04/1941");
    EXPECT_EQ(values[12], "03/09/2024");
    EXPECT_EQ(values[64], "        ") << "no principal procedure date";
    const auto at = [&](const char* title) {
        return values[static_cast<std::size_t>(std::find(titles.begin(), titles.end(), title) - titles.begin())];
    };
    EXPECT_EQ(at("Patient SSN"), "912-34-5678");
    EXPECT_EQ(at("Total Charges"), "5000");
    EXPECT_EQ(at("Abstract Record Number"), "24 100");
    EXPECT_EQ(at("National Provider ID"), "0123456789");
}

TEST(ReportFiles, LinesEndInCrLfAndTheFileIsTheOwnersAlone) {
    TempDir dir("reports-files");
    const std::string path = ReportPath(dir.Path().string(), kStateFileName);
    EXPECT_EQ(path, (dir.Path() / "View.txt").string());
    std::ofstream(path) << "older";
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(SaveReportLines(path, {"one", "two"}));
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "one\r\ntwo\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file left";

    EXPECT_FALSE(SaveReportLines((dir.Path() / "missing" / "View.txt").string(), {"x"}));
}

}  // namespace
}  // namespace dalvero::test
