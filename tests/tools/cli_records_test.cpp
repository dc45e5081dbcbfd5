// Queries and single-record commands against the demo hospital.

#include <algorithm>
#include <cctype>

#include "cli_runner.h"

namespace dalvero::test {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

TEST_F(CliServerTest, QueryPrintsTheWholeListPageByPage) {
    const std::string hospital = HospitalSeq();
    ASSERT_FALSE(hospital.empty());
    const std::vector<std::string> query = {"query", "Personnel", "L3", "--key", hospital, "--fields", "f11,f13,f22"};
    const std::string whole = Ok(query);
    const Rows rows = ParseRows(whole);
    ASSERT_GT(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Seq", "f11", "f13", "f22"}));
    const std::string email = server.Logins().at(0).email;
    EXPECT_TRUE(std::any_of(rows.begin() + 1, rows.end(), [&](const auto& row) { return row.at(3) == email; }));
    for (std::size_t i = 2; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 4u);
        EXPECT_LE(Lower(rows[i - 1][2]), Lower(rows[i][2])) << "ordered by last name";
    }

    // Small pages walk the same list without gaps or repeats.
    auto paged = query;
    paged.insert(paged.end(), {"--page", "2"});
    EXPECT_EQ(Ok(paged), whole);

    // Backward from the end, in pages: the same records turned round.
    auto backward = paged;
    backward.push_back("--backward");
    Rows reversed = ParseRows(Ok(backward));
    ASSERT_EQ(reversed.size(), rows.size());
    std::reverse(reversed.begin() + 1, reversed.end());
    EXPECT_EQ(reversed, rows);

    // --max stops after that many records, across a page boundary too.
    auto limited = paged;
    limited.insert(limited.end(), {"--max", "3"});
    EXPECT_EQ(ParseRows(Ok(limited)), Rows(rows.begin(), rows.begin() + 4));

    // A list position to start from.
    auto started = query;
    started.insert(started.end(), {"--start", "3", "--max", "1"});
    EXPECT_EQ(ParseRows(Ok(started)).at(1), rows.at(3));
}

TEST_F(CliServerTest, QueryFromAKeyWithJoinsAndFiltersOrFailing) {
    const Rows codes = ParseRows(Ok({"query", "ICD9Symptom", "L2", "--key", "486", "--max", "3", "--fields", "f10,f11"}));
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(codes[1], (std::vector<std::string>{codes[1].at(0), "486", "Pneumonia, organism unspecified"}));
    EXPECT_LT(Lower(codes[1].at(1)), Lower(codes[2].at(1)));
    EXPECT_LT(Lower(codes[2].at(1)), Lower(codes[3].at(1)));

    // The hospital's closed cases with their patients' names joined in.
    const std::string hospital = HospitalSeq();
    const Rows closed = ParseRows(Ok({"query", "Cases", "3", "--key", hospital, "--fields", "f10,f18,P12",
                                      "--aliases", "P=Patients:f10", "--filter", "f18=Y"}));
    ASSERT_GT(closed.size(), 1u);
    EXPECT_EQ(closed[0], (std::vector<std::string>{"Seq", "f10", "f18", "P12"}));
    for (std::size_t i = 1; i < closed.size(); ++i) {
        EXPECT_EQ(closed[i].at(2), "Y");
        EXPECT_FALSE(closed[i].at(3).empty()) << "patient's last name";
    }

    // Every field when none are named; f1 is the Seq column already.
    const Rows all = ParseRows(Ok({"query", "Personnel", "L3", "--key", hospital, "--max", "1"}));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].at(1), "f2");
    EXPECT_EQ(all[0].back(), "f28");
    EXPECT_EQ(all[1].size(), all[0].size());

    // A list with no members prints its header alone.
    EXPECT_EQ(Ok({"query", "Personnel", "L3", "--key", "999999", "--fields", "f11,f13"}), "Seq\tf11\tf13\n");

    // Failures report the server's text.
    EXPECT_NE(Fails({"query", "NoSuchTable", "L2"}, 3).find("NoSuchTable"), std::string::npos);
    EXPECT_NE(Fails({"query", "Personnel", "L2", "--fields", "f11,f99"}, 3).find("f99"), std::string::npos);
}

TEST_F(CliServerTest, AddReadUpdateFindDeleteRoundTripAndJoinedFields) {
    // A value with a tab, a line break and a backslash stays one line.
    const std::string middle = "Mid\tdle\r\nNa\\me";
    const CliResult added = Run({"add", "Patients", "f10=Ann", "f11=" + middle, "f12=O'Brien Smith", "f13=987654321"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::string seq = added.out.substr(0, added.out.find('\n'));
    ASSERT_FALSE(seq.empty());
    EXPECT_TRUE(std::all_of(seq.begin(), seq.end(), [](unsigned char c) { return std::isdigit(c); })) << added.out;

    Rows read = ParseRows(Ok({"read", "Patients", seq}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].at(0), "Seq");
    EXPECT_EQ(read[0].at(1), "f2");
    EXPECT_EQ(read[0].back(), "f17");
    EXPECT_EQ(read[1].size(), read[0].size());
    EXPECT_EQ(read[1].at(0), seq);
    EXPECT_EQ(read[1].at(Column(read, "f10")), "Ann");
    EXPECT_EQ(read[1].at(Column(read, "f11")), "Mid\\tdle\\r\\nNa\\\\me");
    EXPECT_EQ(read[1].at(Column(read, "f12")), "O'Brien Smith");

    Ok({"update", "Patients", seq, "f12=Jones", "f11="});
    read = ParseRows(Ok({"read", "Patients", seq}));
    EXPECT_EQ(read.at(1).at(Column(read, "f12")), "Jones");
    EXPECT_EQ(read.at(1).at(Column(read, "f11")), "");
    EXPECT_EQ(read.at(1).at(Column(read, "f10")), "Ann") << "fields not named stay";

    const Rows found = ParseRows(Ok({"find", "Patients", "L3", "987654321"}));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], read[0]);
    EXPECT_EQ(found[1], read[1]);

    EXPECT_NE(Fails({"update", "Patients", seq, "f99=x"}, 3).find("f99"), std::string::npos);

    Ok({"delete", "Patients", seq});
    EXPECT_EQ(Fails({"read", "Patients", seq}, 3), "No record " + seq + " in Patients\n");
    EXPECT_NE(Fails({"delete", "Patients", seq}, 3).find(seq), std::string::npos) << "the server's own text";
    EXPECT_EQ(Fails({"find", "Patients", "3", "987654321"}, 3), "No record with key 987654321 in list 3 of Patients\n");

    // find and read with joined fields give the same row.
    const std::string email = server.Logins().at(0).email;
    const Rows user = ParseRows(Ok({"find", "Personnel", "4", email, "--aliases", "h=ProviderEntities:f9",
                                    "--alias-fields", "h10"}));
    ASSERT_EQ(user.size(), 2u);
    EXPECT_EQ(user[0].back(), "h10");
    EXPECT_EQ(user[0].at(user[0].size() - 2), "f28");
    EXPECT_FALSE(user[1].back().empty()) << "the hospital's name";
    EXPECT_EQ(ParseRows(Ok({"read", "Personnel", user[1].at(0), "--aliases", "h=ProviderEntities:f9",
                            "--alias-fields", "h10"})),
              user);
}

TEST_F(CliServerTest, ValuesComeFromFilesAndOneOverTheRequestLimitNamesIt) {
    WriteFile(work.Path() / "note.txt", "from a file,\r\nwith \"quotes\"");
    const std::string added = Ok({"add", "Patients", "f10=@note.txt", "f11=@@home", "f13=900000031"});
    const std::string seq = added.substr(0, added.find('\n'));
    const Rows read = ParseRows(Ok({"read", "Patients", seq}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1][Column(read, "f10")], "from a file,\\r\\nwith \"quotes\"");
    EXPECT_EQ(read[1][Column(read, "f11")], "@home");

    EXPECT_EQ(Fails({"add", "Patients", "f10=@absent.txt"}, 3), "Cannot read absent.txt: No such file or directory\n");

    const std::string tooBig = Fails({"update", "Patients", seq, "f12=" + std::string(50'000, 'x')}, 1);
    EXPECT_NE(tooBig.find("over the limit of 49989 bytes one message may hold"), std::string::npos) << tooBig;
    EXPECT_EQ(tooBig.find("MessageBuffer"), std::string::npos) << tooBig;
}

}  // namespace
}  // namespace dalvero::test
