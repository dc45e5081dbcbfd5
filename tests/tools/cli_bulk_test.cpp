// Work under one log-in (import, batch) and records for other tools
// (--format).

#include <algorithm>

#include "cli_runner.h"

namespace dalvero::test {
namespace {

// Rows with the Seq column left out: what an import must give back.
Rows WithoutSeq(Rows rows) {
    for (auto& row : rows) row.erase(row.begin());
    return rows;
}

TEST_F(CliServerTest, ImportReadsTheToolsOwnOutputBackExactly) {
    std::string longText;
    for (int i = 0; i < 8000; ++i) longText += "\xc3\x9f\xe2\x82\xac";  // "ß€", 40,000 bytes in all
    const std::string ssn = "900000001";
    Ok({"add", "Patients", "f10=Zo\xc3\xab \"Zed\", Jr.", "f11=tab\there\r\nnext\\x41 \xc2\x85 end",
        "f12=" + longText, "f13=" + ssn});
    const std::vector<std::string> query{"query", "Patients", "L3", "--key", ssn, "--fields", "f10,f11,f12,f13"};
    const std::string exported = Ok(query);
    ASSERT_EQ(ParseRows(exported).size(), 2u);

    const CliResult imported = RunCli(work.Path(), LoggedIn({"import", "Patients"}), {}, exported);
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.err, "import: 1 done, 0 failed\n");
    const Rows both = ParseRows(Ok(query));
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(imported.out, both[2][0] + "\n") << "the new record's Seq, after the first's";
    EXPECT_EQ(WithoutSeq(both)[1], WithoutSeq(both)[2]);

    // A column of another table is refused before anything is written.
    WriteFile(work.Path() / "joined.tsv", "Seq\tP12\n1\tSmith\n");
    EXPECT_NE(Fails({"import", "Patients", "joined.tsv"}, 1).find("P12"), std::string::npos);
    EXPECT_EQ(ParseRows(Ok(query)).size(), 3u);
}

TEST_F(CliServerTest, BatchRunsUnderOneLogInAndStopsOrKeepsGoingOnAFailure) {
    const auto& admin = server.DemoUser("Administrator");
    const auto logins = [&] {
        const Rows rows = ParseRows(Ok({"audit", "--user", admin.email}));
        return std::count_if(rows.begin() + 1, rows.end(),
                             [&](const auto& row) { return row.at(Column(rows, "action")) == "login"; });
    };
    // audit --user is the filter here too: the batch's log-in holds for it.
    const auto commands = [&](const std::string& ssn) {
        return "# a comment, then a blank line\n\n"
               "add Patients f10=Batch 'f12=Van Dam' f13=" + ssn + "\n"
               "audit --user " + admin.email + " --to 20000101\n"
               "find Patients 3 " + ssn + " --fields-not-known\n"
               "add Patients f10=After \"f12=O'Hara \\\"Jr\\\"\" f13=" + ssn + "\n";
    };
    const auto count = [&](const std::string& ssn) {
        return ParseRows(Ok({"query", "Patients", "L3", "--key", ssn, "--fields", "f12"})).size() - 1;
    };
    const auto before = logins();

    const CliResult stopped = RunCli(work.Path(), LoggedIn({"batch"}), {}, commands("900000011"));
    EXPECT_EQ(stopped.exitCode, 2);
    EXPECT_NE(stopped.err.find("line 5: unknown option '--fields-not-known' for find"), std::string::npos)
        << stopped.err;
    EXPECT_NE(stopped.err.find("batch: 2 done, 1 failed, the first at line 5; stopped at line 5\n"),
              std::string::npos)
        << stopped.err;
    EXPECT_EQ(count("900000011"), 1u);

    const CliResult kept = RunCli(work.Path(), LoggedIn({"batch", "--keep-going"}), {}, commands("900000012"));
    EXPECT_EQ(kept.exitCode, 2);
    EXPECT_NE(kept.err.find("batch: 3 done, 1 failed, the first at line 5\n"), std::string::npos) << kept.err;
    const Rows names = ParseRows(Ok({"query", "Patients", "L3", "--key", "900000012", "--fields", "f12"}));
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[1][1], "Van Dam");
    EXPECT_EQ(names[2][1], "O'Hara \"Jr\"");
    EXPECT_EQ(kept.out, names[1][0] + "\nSeq\ttime\tperson\te-mail\taddress\taction\ttable\trecord\tpatient\tpatients\tdetail\n" +
                            names[2][0] + "\n");

    // Two batches, two queries and this count: one log-in each, however
    // many lines a batch holds.
    EXPECT_EQ(logins(), before + 5);
}

TEST_F(CliServerTest, RecordsPrintAsCsvOrJsonWithTheHeaderAskedForEvenWhenEmpty) {
    const std::string seq = Ok({"add", "Patients", "f10=Ann, \"Nan\"", "f11=two\r\nlines", "f13=900000021"});
    const std::string id = seq.substr(0, seq.find('\n'));
    const std::vector<std::string> query{"query", "Patients", "L3", "--key", "900000021", "--fields", "f10,f11"};
    auto as = [&](const std::string& format, const std::string& key = "900000021") {
        auto args = query;
        args[4] = key;
        args.insert(args.end(), {"--format", format});
        return Ok(args);
    };
    EXPECT_EQ(as("csv"), "Seq,f10,f11\r\n" + id + ",\"Ann, \"\"Nan\"\"\",\"two\r\nlines\"\r\n");
    EXPECT_EQ(as("json"), "[\n{\"Seq\":\"" + id + "\",\"f10\":\"Ann, \\\"Nan\\\"\",\"f11\":\"two\\r\\nlines\"}\n]\n");
    EXPECT_EQ(as("json", "000000000"), "[]\n");
    EXPECT_EQ(as("csv", "000000000"), "Seq,f10,f11\r\n");
    const Rows all = ParseRows(Ok({"query", "Patients", "L3", "--key", "000000000"}));
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].size(), 17u);
    EXPECT_EQ(all[0].back(), "f17");

    EXPECT_EQ(Ok({"audit", "--to", "20000101", "--format", "csv"}),
              "Seq,time,person,e-mail,address,action,table,record,patient,patients,detail\r\n");
    Fails({"read", "Patients", id, "--format", "xml"}, 2);
}

}  // namespace
}  // namespace dalvero::test
