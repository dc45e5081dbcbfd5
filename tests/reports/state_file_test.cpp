// The state discharge data file's two writers on records built here.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "ended_pieces.h"
#include "report_files.h"
#include "state_file.h"
#include "temp_dir.h"

namespace dalvero::test {
namespace {

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

// Each line's text at a column as the state's format counts them, from 1.
using Column = std::tuple<std::size_t, std::size_t, std::string>;
void ExpectColumns(const std::vector<std::string>& lines, const std::vector<Column>& expected) {
    for (const auto& [line, column, text] : expected)
        EXPECT_EQ(lines.at(line).substr(column - 1, text.size()), text) << "line " << line << ", column " << column;
}

TEST(StateFile, LinesAre670CharactersWithEveryFieldAtItsColumns) {
    const auto lines = StateFileLines({FullRecord(), ReportRecordDataClass{}});
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2u);
    for (const std::string& each : *lines) EXPECT_EQ(each.size(), kStateLineLength);
    // The codes: the 25th other diagnosis and later are dropped. Numbers are
    // right-justified with leading zeros; zeros on the right would turn a
    // disposition of 1 into 10 and charges of 5000 into 5000000. Without
    // dates: eight blanks each.
    ExpectColumns(*lines, {{0, 1, "0"}, {0, 2, "      "}, {0, 8, "07041941"}, {0, 16, "000"}, {0, 19, "43210"},
                           {0, 24, "03012024"}, {0, 36, "03092024"},
                           {0, 44, "82021   "}, {0, 52, "D1      "}, {0, 52 + 23 * 8, "D24     "},
                           {0, 244, "7935           "}, {0, 259 + 19 * 15, "8154           "},
                           {0, 599, "912345678"}, {0, 608, "01"}, {0, 610, "0005000"}, {0, 617, "24-100231-LO"},
                           {0, 630, "0000000"}, {0, 637, "0123456789"}, {0, 647, "ENG                     "},
                           {1, 8, std::string(8, ' ')}, {1, 24, std::string(8, ' ')}, {1, 599, "000000000"}});
}

TEST(StateFile, OverlongNumbersAndStrayBytesKeepTheColumns) {
    ReportRecordDataClass r;
    r.totalCharges = 123456789;
    r.zipCode = "4\t3\r\n0";
    r.abstractRecordNumber = "Z\xc3\xbcrich";
    const auto lines = StateFileLines({r});
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->front().size(), kStateLineLength);
    ExpectColumns(*lines, {{0, 610, "9999999"}, {0, 19, "4 3  "}, {0, 617, "Z  rich     "}});
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
    EXPECT_EQ(ReadAll(path), "one\r\ntwo\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file left";

    EXPECT_FALSE(SaveReportLines((dir.Path() / "missing" / "View.txt").string(), {"x"}));
}

}  // namespace
}  // namespace dalvero::test
