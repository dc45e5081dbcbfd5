// verify-audit's checks beyond the chain itself: rows cut off the end, an
// emptied trail, and an edit whose chain was recomputed after it.

#include <gtest/gtest.h>

#include <fstream>

#include "audit_anchor.h"
#include "audit_trail.h"
#include "dataserver_fixture.h"
#include "hex_digest.h"
#include "schema.h"

namespace dalvero::test {
namespace {

namespace au = server::schema::audit;
namespace sub = frame::sub;

class AuditCheckTest : public DataServerTest {
protected:
    AuditCheckTest() {
        Record(sub::kRead, {"TableName=Cases", "Seq=" + data.openC1});
        Record(sub::kUpdate, {"TableName=CaseNeeds", "Seq=" + data.needN1, "f15=Home"});
        Record(sub::kRead, {"TableName=Cases", "Seq=" + data.openC2});
        trail->Flush();
    }

    std::vector<server::Record> Rows() {
        server::ListRead read;
        read.table = server::schema::kAuditTrail;
        return storage->Select(read);
    }

    // What someone with write access to the database would do to hide an
    // edit: give row `from` a new patient and recompute every hash after it.
    void RewriteFrom(std::size_t from, const std::string& patient) {
        std::vector<server::Record> rows = Rows();
        std::string previous = rows[from - 1].Field(au::kHash);
        for (std::size_t i = from; i < rows.size(); ++i) {
            server::FieldValues& fields = rows[i].fields;
            if (i == from) fields[au::kPatient] = patient;
            fields[au::kPrevious] = previous;
            std::string text;
            for (int field = au::kTime; field <= au::kPrevious; ++field) text += rows[i].Field(field) + '\x1f';
            previous = server::Sha256Hex(text);
            storage->Update(server::schema::kAuditTrail, rows[i].seq,
                            {{au::kPatient, fields[au::kPatient]}, {au::kPrevious, fields[au::kPrevious]},
                             {au::kHash, previous}});
        }
    }

    std::filesystem::path keyFile = dir.Path() / "audit.key";
    std::filesystem::path anchorFile = dir.Path() / "anchors";
};

TEST_F(AuditCheckTest, AnAnchorShowsARecomputedChainAndAForgedAnchorLine) {
    server::AuditAnchor::MakeKey(keyFile);
    const server::AuditAnchor anchor(keyFile, anchorFile);
    const server::AuditTip tip = server::NewestAuditRow(*storage);
    anchor.Append(tip.seq, tip.hash);
    ASSERT_TRUE(server::VerifyAuditTrail(*storage, &anchor).intact);

    RewriteFrom(1, data.pat2);
    ASSERT_TRUE(server::VerifyAuditTrail(*storage).intact);  // the chain alone cannot tell
    const server::AuditCheck rewritten = server::VerifyAuditTrail(*storage, &anchor);
    EXPECT_FALSE(rewritten.intact);
    EXPECT_EQ(rewritten.firstBad, tip.seq);

    // Nor can the anchor be made to follow without the key.
    const server::AuditTip newTip = server::NewestAuditRow(*storage);
    std::ofstream(anchorFile, std::ios::app) << newTip.seq << " " << newTip.hash << " " << std::string(64, '0') << "\n";
    EXPECT_FALSE(server::VerifyAuditTrail(*storage, &anchor).intact);
}

TEST_F(AuditCheckTest, RowsCutOffTheEndOrAllRowsAreMissed) {
    std::vector<server::Record> rows = Rows();
    ASSERT_GE(rows.size(), 3u);
    storage->Remove(server::schema::kAuditTrail, rows.back().seq);
    const server::AuditCheck cut = server::VerifyAuditTrail(*storage);
    EXPECT_FALSE(cut.intact);
    EXPECT_EQ(cut.firstBad, rows.back().seq);

    for (const server::Record& row : rows) storage->Remove(server::schema::kAuditTrail, row.seq);
    EXPECT_FALSE(server::VerifyAuditTrail(*storage).intact);

    // Even with the table's sequence reset, a store people logged in to
    // cannot have an empty trail.
    ExecuteOnStore(place.Settings(), OnPostgres() ? "UPDATE dalvero_seqs SET last = 0 WHERE tbl = 'AuditTrail'"
                                                  : "DELETE FROM sqlite_sequence WHERE name = 'AuditTrail'");
    ASSERT_EQ(storage->HighestSeq(server::schema::kAuditTrail), 0);
    const server::AuditCheck emptied = server::VerifyAuditTrail(*storage);
    EXPECT_FALSE(emptied.intact);
    EXPECT_EQ(emptied.rows, 0);
}

TEST_F(AuditCheckTest, AListReadIsOneEntryThatAQueryForAnyOfItsPatientsFindsAndTheChainCovers) {
    const std::size_t before = Rows().size();
    Query("Cases", "L8", data.mercy, "", 1, 10, "f10");  // Mercy's four cases, of two patients
    trail->Flush();
    const std::vector<server::Record> rows = Rows();
    ASSERT_EQ(rows.size(), before + 1);
    const server::Record& list = rows.back();
    EXPECT_EQ(list.Field(au::kAction) + " " + list.Field(au::kTable), "read Cases");
    EXPECT_EQ(list.Field(au::kRecord), data.openC1 + "-" + data.closedC4);
    EXPECT_EQ(list.Field(au::kPatient), "");
    EXPECT_EQ(list.Field(au::kPatients), data.pat1 + "-" + data.pat2);

    // The trail by patient: the single-record rows written before, and the
    // list, for each of its patients.
    for (const std::string& patient : {data.pat1, data.pat2}) {
        std::vector<std::string> expected;
        for (const server::Record& row : rows)
            if (row.Field(au::kPatient) == patient || row.seq == list.seq) expected.push_back(std::to_string(row.seq));
        EXPECT_EQ(Query("AuditTrail", "L2", patient, "", 1, 50, "f14").Column(2), expected) << patient;
    }

    // Old rows followed by the new entry verify; the patients are hashed,
    // and the index the look-up reads must hold them all.
    EXPECT_TRUE(server::VerifyAuditTrail(*storage).intact);
    ExecuteOnStore(place.Settings(), "DELETE FROM record_seq_sets WHERE seq = " + std::to_string(list.seq));
    const server::AuditCheck unindexed = server::VerifyAuditTrail(*storage);
    EXPECT_FALSE(unindexed.intact);
    EXPECT_EQ(unindexed.firstBad, list.seq);
    storage->Update(server::schema::kAuditTrail, list.seq, {{au::kPatients, data.pat2}});
    const server::AuditCheck edited = server::VerifyAuditTrail(*storage);
    EXPECT_FALSE(edited.intact);
    EXPECT_EQ(edited.firstBad, list.seq);
}

}  // namespace
}  // namespace dalvero::test
