#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "dataserver_fixture.h"
#include "schema.h"
#include "test_store.h"
#include "table_catalogue.h"

namespace dalvero::test {
namespace {

using server::CompareOp;
using server::StorageError;
namespace tbl = catalogue::tbl;

class StorageTest : public ::testing::Test {
protected:
    std::string File() const { return place.Settings().file; }
    // The store, opened at first use.
    server::SqlStorage& Store() {
        if (!owned) owned = place.Open();
        return *owned;
    }
    TempDir dir;
    TestStore place{dir.Path()};
    std::unique_ptr<server::SqlStorage> owned;
};

std::vector<std::int64_t> Seqs(const std::vector<server::Record>& records) {
    std::vector<std::int64_t> seqs;
    for (const auto& r : records) seqs.push_back(r.seq);
    return seqs;
}

TEST_F(StorageTest, AcknowledgedWritesSurviveReopenAndSeqsAreNeverReused) {
    const std::int64_t first = Store().Add(tbl::kCases, {{10, "7"}, {1001, "long note"}});
    const std::int64_t last = Store().Add(tbl::kCases, {{10, "8"}});
    Store().WriteRecordFile(tbl::kCases, first, 1, {std::string("\xff\xd8jpeg\0bytes", 11), 1700000000});
    ASSERT_TRUE(Store().Remove(tbl::kCases, last));
    owned.reset();
    server::SqlStorage& store = Store();
    auto record = store.Read(tbl::kCases, first);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->fields.at(10), "7");
    EXPECT_EQ(record->fields.at(1001), "long note");
    auto file = store.ReadRecordFile(tbl::kCases, first, 1);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->content, std::string("\xff\xd8jpeg\0bytes", 11));
    EXPECT_EQ(file->fileDate, 1700000000);
    // A link to the removed record must never come to name a new one.
    EXPECT_GT(store.Add(tbl::kCases, {}), last);
}

TEST_F(StorageTest, ManyRecordsAndCountsPerValueInOneGo) {
    server::SqlStorage& store = Store();
    const auto a = store.Add(tbl::kCases, {{10, "p\"1"}, {11, "H"}, {1001, "a's note"}});
    store.Add(tbl::kCases, {{10, "p\"1"}, {11, "other"}});
    const auto c = store.Add(tbl::kCases, {{10, "P2"}, {11, "h"}, {1002, "c's note"}});
    const auto page = store.ReadEach(tbl::kCases, {c, 999, a, c});
    EXPECT_EQ(Seqs(page), (std::vector<std::int64_t>{a, c}));
    EXPECT_EQ(page[0].fields.at(1001) + page[1].fields.at(1002), "a's notec's note");
    EXPECT_FALSE(page[0].fields.count(1002));
    using Counts = std::map<std::string, std::int64_t>;
    EXPECT_EQ(store.CountEach(tbl::kCases, 10, {"p\"1", "P2", "none"}, {}), (Counts{{"P2", 1}, {"p\"1", 2}}));
    // Conditions and the looked-up values compare as conditions do: letter case aside.
    EXPECT_EQ(store.CountEach(tbl::kCases, 10, {"P\"1", "p2"}, {{11, CompareOp::Equal, "h", false}}),
              (Counts{{"P2", 1}, {"p\"1", 1}}));
}

TEST_F(StorageTest, PagesFromAnOffsetHoldTheRowsOfTheWholeListAcrossTies) {
    server::SqlStorage& store = Store();
    // Ties in letter case, and long values alike beyond an index key's length.
    const std::string longer(130, 'a');
    const std::vector<std::string> names{"same", "b", longer + "b", "SAME", "", "Same", longer + "A", "same", "B"};
    for (const std::string& name : names) store.Add(tbl::kProviderEntities, {{10, name}, {12, "x"}});
    store.Add(tbl::kProviderEntities, {{10, "same"}, {12, "y"}});
    for (const bool descending : {false, true}) {
        for (const bool backward : {false, true}) {
            server::ListRead read{tbl::kProviderEntities, {{12, CompareOp::Equal, "X"}}, {10}, descending, backward};
            const auto whole = Seqs(store.Select(read));
            ASSERT_EQ(whole.size(), 9u);
            std::vector<std::int64_t> paged;
            read.limit = 2;
            for (read.offset = 0; read.offset < 10; read.offset += 2) {
                const auto page = Seqs(store.Select(read));
                paged.insert(paged.end(), page.begin(), page.end());
            }
            EXPECT_EQ(paged, whole) << descending << backward;
        }
    }
}

TEST_F(StorageTest, ValuesTravelAsDataNeverAsSql) {
    server::SqlStorage& store = Store();
    const std::string hostile = "x'); DROP TABLE \"Cases\"; --\"; SELECT 1;";
    const auto seq = store.Add(tbl::kCases, {{10, hostile}, {22, "it's \"quoted\""}});
    EXPECT_EQ(store.Count(tbl::kCases, {{10, CompareOp::Equal, hostile, false}}), 1);
    EXPECT_EQ(store.Read(tbl::kCases, seq)->fields.at(22), "it's \"quoted\"");
    // A prefix condition takes % and _ literally.
    store.Add(tbl::kCases, {{22, "50%_off"}});
    store.Add(tbl::kCases, {{22, "50abc"}});
    EXPECT_EQ(store.Count(tbl::kCases, {{22, CompareOp::StartsWith, "50%_", false}}), 1);
    EXPECT_EQ(store.Count(tbl::kCases, {{1, CompareOp::StartsWith, std::to_string(seq), false}}), 1);
    EXPECT_EQ(store.Count(tbl::kCases, {}), 3);
}

TEST_F(StorageTest, NotesAndFilesLiveAndDieWithTheirRecord) {
    server::SqlStorage& store = Store();
    const auto seq = store.Add(tbl::kCaseNeedsQuote, {{14, "R"}, {1001, "first"}});
    ASSERT_TRUE(store.Update(tbl::kCaseNeedsQuote, seq, {{1001, "second"}, {1002, "other"}}));
    EXPECT_EQ(store.Read(tbl::kCaseNeedsQuote, seq)->fields.at(1001), "second");
    ASSERT_TRUE(store.Update(tbl::kCaseNeedsQuote, seq, {{1001, ""}, {14, ""}}));
    const auto record = store.Read(tbl::kCaseNeedsQuote, seq);
    EXPECT_EQ(record->fields, (server::FieldValues{{1002, "other"}}));

    store.WriteRecordFile(tbl::kCaseNeedsQuote, seq, 2, {"data", 5});
    ASSERT_TRUE(store.Remove(tbl::kCaseNeedsQuote, seq));
    EXPECT_FALSE(store.Read(tbl::kCaseNeedsQuote, seq));
    EXPECT_FALSE(store.ReadRecordFile(tbl::kCaseNeedsQuote, seq, 2));
    EXPECT_FALSE(store.Update(tbl::kCaseNeedsQuote, seq, {{14, "W"}}));
    EXPECT_FALSE(store.Remove(tbl::kCaseNeedsQuote, seq));
    EXPECT_THROW(store.WriteRecordFile(tbl::kCaseNeedsQuote, seq, 1, {"x", 1}), StorageError);
}

TEST_F(StorageTest, ASeqSetIsFoundByEachOfItsSeqsAndNoOther) {
    namespace au = server::schema::audit;
    const auto owned = place.Open();
    server::SqlStorage& store = *owned;
    // 63 and 127 are the top bits of their words, 64 the first of the next.
    const auto set = store.Add(server::schema::kAuditTrail, {{au::kPatients, "1,63-65,127,200"}});
    const auto single = store.Add(server::schema::kAuditTrail, {{au::kPatient, "64"}});
    auto holders = [&](const std::string& patient) {
        server::ListRead read;
        read.table = server::schema::kAuditTrail;
        read.where = {{au::kPatient, CompareOp::Equal, patient, false}};
        EXPECT_EQ(store.Count(read.table, read.where), static_cast<std::int64_t>(store.Select(read).size()));
        return Seqs(store.Select(read));
    };
    for (const char* member : {"1", "63", "65", "127", "200"}) EXPECT_EQ(holders(member), (std::vector{set})) << member;
    EXPECT_EQ(holders("64"), (std::vector{set, single}));
    for (const char* other : {"2", "62", "66", "126", "128", "191", "x"}) EXPECT_TRUE(holders(other).empty()) << other;

    // A changed set is found by its new Seqs alone; a removed one by none.
    ASSERT_TRUE(store.Update(server::schema::kAuditTrail, set, {{au::kPatients, "2"}}));
    EXPECT_TRUE(holders("63").empty());
    EXPECT_EQ(holders("2"), (std::vector{set}));
    ASSERT_TRUE(store.Remove(server::schema::kAuditTrail, set));
    EXPECT_TRUE(holders("2").empty());
    for (const char* malformed : {"5,3", "4-2", "1,,2", "0", "7-"})
        EXPECT_THROW(store.Add(server::schema::kAuditTrail, {{au::kPatients, malformed}}), StorageError) << malformed;
}

TEST_F(StorageTest, RefusesWhatTheSchemaDoesNotKeep) {
    server::SqlStorage& store = Store();
    EXPECT_THROW(store.Add("NoSuchTable", {}), StorageError);
    EXPECT_THROW(store.Add(tbl::kPatients, {{18, "x"}}), StorageError);  // beyond the table's fields
    EXPECT_THROW(store.Add(tbl::kPatients, {{1, "5"}}), StorageError);   // the Seq is not written
    EXPECT_THROW(store.Add(tbl::kPatients, {{1100, "x"}}), StorageError);
    // The server's own tables take no notes: their reads do not look for any.
    EXPECT_THROW(store.Add(server::schema::kSessions, {{1001, "x"}}), StorageError);
    EXPECT_THROW(store.Count(tbl::kPatients, {{1001, CompareOp::Equal, "x", false}}), StorageError);
    EXPECT_THROW(store.Count(tbl::kPatients, {{1, CompareOp::Equal, "abc", false}}), StorageError);
    EXPECT_TRUE(store.HasField(tbl::kPatients, 17));
    EXPECT_FALSE(store.HasField(tbl::kPatients, 18));
    EXPECT_TRUE(store.HasField("providerentities", 41));  // letter case of table names is free
}

TEST_F(StorageTest, TextSearchFindsEveryWordAsPrefixAndFollowsChanges) {
    server::SqlStorage& store = Store();
    const auto benign = store.Add(tbl::kICD9Symptom, {{10, "4011"}, {11, "Benign essential hypertension"}});
    const auto malignant = store.Add(tbl::kICD9Symptom, {{10, "4010"}, {11, "Malignant essential hypertension"}});
    store.Add(tbl::kICD9Symptom, {{10, "486"}, {11, "Pneumonia, organism unspecified"}});
    EXPECT_EQ(Seqs(store.SearchText(tbl::kICD9Symptom, 11, "benign hyper", 10)), (std::vector<std::int64_t>{benign}));
    // Query syntax in typed words is only punctuation.
    EXPECT_EQ(store.SearchText(tbl::kICD9Symptom, 11, "\"pneu*) OR (organ", 10).size(), 1u);
    EXPECT_TRUE(store.SearchText(tbl::kICD9Symptom, 11, "  ", 10).empty());
    EXPECT_EQ(store.SearchText(tbl::kICD9Symptom, 11, "hypertension", 1).size(), 1u);

    store.Update(tbl::kICD9Symptom, malignant, {{11, "Malignant neoplasm"}});
    store.Remove(tbl::kICD9Symptom, benign);
    EXPECT_TRUE(store.SearchText(tbl::kICD9Symptom, 11, "hypertension", 10).empty());
    EXPECT_EQ(store.SearchText(tbl::kICD9Symptom, 11, "neoplasm", 10).size(), 1u);
    EXPECT_THROW(store.SearchText(tbl::kICD9Symptom, 10, "4010", 10), StorageError);
}

TEST_F(StorageTest, TransactionsCommitWholeOrNotAtAll) {
    server::SqlStorage& store = Store();
    EXPECT_THROW(store.InTransaction([&] {
        store.Add(tbl::kPatients, {{10, "kept?"}});
        store.InTransaction([&] { store.Add(tbl::kPatients, {{10, "inner"}}); });
        throw std::runtime_error("abandon");
    }),
                 std::runtime_error);
    EXPECT_EQ(store.Count(tbl::kPatients, {}), 0);
    std::int64_t two = 0, three = 0;
    store.InTransaction([&] {
        store.Add(tbl::kPatients, {{10, "one"}});
        two = store.Add(tbl::kPatients, {{10, "two"}});
        // An inner transaction that fails undoes its own writes only, and
        // gives its Seqs back: the audit trail's Seqs have no gaps.
        try {
            store.InTransaction([&] {
                store.Add(tbl::kPatients, {{10, "undone"}});
                throw std::runtime_error("abandon");
            });
        } catch (const std::runtime_error&) {
        }
        three = store.Add(tbl::kPatients, {{10, "three"}});
        EXPECT_EQ(store.HighestSeq(tbl::kPatients), three);
    });
    EXPECT_EQ(three, two + 1);
    EXPECT_EQ(store.Count(tbl::kPatients, {}), 3);
    // The Seqs taken stay taken once the transaction has committed.
    EXPECT_EQ(store.HighestSeq(tbl::kPatients), three);
    EXPECT_EQ(store.Add(tbl::kPatients, {}), three + 1);
}

// Writers at once share commits; one that fails in a shared commit takes
// no one else's writes with it.
TEST_F(StorageTest, ThreadsWriteAndReadAtOnce) {
    server::SqlStorage& store = Store();
    constexpr int kThreads = 4, kEach = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&store, t] {
            for (int i = 0; i < kEach; ++i) {
                const auto seq = store.Add(tbl::kCaseFamily, {{9, std::to_string(t)}, {11, std::to_string(i)}});
                ASSERT_TRUE(store.Read(tbl::kCaseFamily, seq));
                EXPECT_THROW(store.InTransaction([&] {
                    store.Add(tbl::kCaseFamily, {{9, "failed"}});
                    throw std::runtime_error("abandon");
                }),
                             std::runtime_error);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(store.Count(tbl::kCaseFamily, {}), kThreads * kEach);
    EXPECT_EQ(store.Count(tbl::kCaseFamily, {{9, CompareOp::Equal, "2", false}}), kEach);
}

// A database made before a table had all of its fields or its text index.
TEST_F(StorageTest, OpeningAnOlderFileAddsWhatIsMissing) {
    if (OnPostgres()) GTEST_SKIP() << "a SQLite file of an earlier version";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(File().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE \"ICD9Symptom\" (seq INTEGER PRIMARY KEY AUTOINCREMENT, f10 TEXT NOT NULL "
                           "DEFAULT '' COLLATE NOCASE, f11 TEXT NOT NULL DEFAULT '' COLLATE NOCASE);"
                           "INSERT INTO \"ICD9Symptom\" (f10, f11) VALUES ('486', 'Pneumonia');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    server::SqlStorage& store = Store();
    EXPECT_EQ(store.SearchText(tbl::kICD9Symptom, 11, "pneu", 5).size(), 1u);
    const auto seq = store.Add(tbl::kICD9Symptom, {{2, "kept"}, {10, "4019"}});
    EXPECT_EQ(store.Read(tbl::kICD9Symptom, seq)->fields.at(2), "kept");
}

}  // namespace
}  // namespace dalvero::test
