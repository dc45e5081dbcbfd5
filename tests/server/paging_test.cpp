// The client's own record batches paging through a real server's lists:
// every page operation must walk a list without gaps or repeats, forward and
// backward lists alike.

#include <gtest/gtest.h>

#include <algorithm>

#include "db_server_connection.h"
#include "log_in.h"
#include "real_server.h"
#include "record_batch.h"
#include "table_catalogue.h"

namespace dalvero::test {
namespace {

using Seqs = std::vector<std::string>;
namespace tbl = catalogue::tbl;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

class PagingTest : public ::testing::Test {
protected:
    static constexpr int kCount = 23;
    static constexpr int kPage = 5;

    PagingTest() {
        const auto storage = server.OpenStore();
        storage->InTransaction([&] {
            hospital = std::to_string(storage->Add(tbl::kProviderEntities, {{10, "Paging General"}}));
            patient = std::to_string(storage->Add(tbl::kPatients, {{10, "Many"}, {12, "Stays"}}));
            // Added out of date order, so the lists' order is the server's doing.
            for (int i = 0; i < kCount; ++i) {
                const int day = 1 + (i * 7) % kCount;
                storage->Add(tbl::kCases, {{10, patient}, {11, hospital}, {12, "202401" + TwoDigits(day)},
                                           {13, "202403" + TwoDigits(day) + "100000"}, {18, "Y"}});
                storage->Add(tbl::kPersonnel, {{9, hospital}, {13, "Doc" + TwoDigits(day)}, {27, "Y"}});
            }
            storage->Add(tbl::kPersonnel, {{9, hospital}, {13, "Zed"}, {22, "planner@paging.test"}, {23, "pw"}});
        });
        const server::DemoLogin planner{"planner@paging.test", "pw", ""};
        db = RealServer::ConnectDataAt(server.DataPort(), server.CaFile(), "Dalvero", &planner);
    }

    // The whole list in its order, read in one page.
    Seqs Whole(const std::string& table, const std::string& index, const std::string& key, const std::string& filter) {
        cRecordBatch batch;
        EXPECT_TRUE(batch.Query(db.get(), table, index, key, "", 0, 1000, "f1", "", filter, "F"));
        return PageOf(batch);
    }

    static Seqs PageOf(cRecordBatch& batch) {
        Seqs seqs;
        if (batch.Set && batch.Set->First()) do
                seqs.push_back(batch.Set->Seq);
            while (batch.Set->Next());
        return seqs;
    }

    static Seqs Slice(const Seqs& all, int from, int count) {
        return Seqs(all.begin() + from, all.begin() + std::min<int>(from + count, static_cast<int>(all.size())));
    }

    RealServer server{RealServer::Empty};
    std::unique_ptr<dbServerConnection> db;
    std::string hospital, patient;
};

TEST_F(PagingTest, PreviousCaseListPagesForwardAndBackWithoutGapsOrRepeats) {
    const Seqs all = Whole("Cases", "L3", hospital, "f18=Y");
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kCount));

    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Cases", "L3", hospital, "", 0, kPage, "f13", "", "f18=Y", "F", "", "Y"));
    EXPECT_EQ(batch.Set->Position, kCount);
    std::vector<Seqs> pages{PageOf(batch)};
    while (batch.SecondMark != 0) {
        ASSERT_TRUE(batch.NextPage());
        pages.push_back(PageOf(batch));
    }
    Seqs walked;
    for (const Seqs& page : pages) walked.insert(walked.end(), page.begin(), page.end());
    EXPECT_EQ(walked, all);

    // Back again: each earlier page comes back whole and in list order.
    for (int i = static_cast<int>(pages.size()) - 2; i >= 0; --i) {
        ASSERT_TRUE(batch.PriorPage());
        EXPECT_EQ(PageOf(batch), pages[static_cast<std::size_t>(i)]) << "page " << i;
    }
    EXPECT_EQ(batch.FirstMark, 0);
    EXPECT_TRUE(batch.PriorPage());  // nothing before the first page: it stays
    EXPECT_EQ(PageOf(batch), pages.front());
}

TEST_F(PagingTest, BackwardListPagesFromTheEndAndBack) {
    Seqs newestFirst = Whole("Cases", "L2", patient, "");
    std::reverse(newestFirst.begin(), newestFirst.end());

    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Cases", "L2", patient, "", 0, kPage, "f12", "", "", "L"));
    Seqs walked = PageOf(batch);
    std::vector<Seqs> pages{walked};
    while (batch.SecondMark != 0) {
        ASSERT_TRUE(batch.NextPage());
        pages.push_back(PageOf(batch));
        walked.insert(walked.end(), pages.back().begin(), pages.back().end());
    }
    EXPECT_EQ(walked, newestFirst);
    EXPECT_FALSE(batch.NextPage());
    EXPECT_EQ(batch.Set->Message, "Beginning or end of list");

    cRecordBatch back;
    ASSERT_TRUE(back.Query(db.get(), "Cases", "L2", patient, "", 0, kPage, "f12", "", "", "L"));
    for (std::size_t i = 1; i < pages.size(); ++i) ASSERT_TRUE(back.NextPage());
    for (int i = static_cast<int>(pages.size()) - 2; i >= 0; --i) {
        ASSERT_TRUE(back.PriorPage());
        EXPECT_EQ(PageOf(back), pages[static_cast<std::size_t>(i)]) << "page " << i;
    }
}

TEST_F(PagingTest, LookUpWindowStepsAndJumpsAlongTheList) {
    const Seqs doctors = Whole("Personnel", "L2", "", "f27=Y");
    ASSERT_EQ(doctors.size(), static_cast<std::size_t>(kCount));

    // Typed "Doc10": centred on it, as the look-up window reads.
    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(db.get(), "Personnel", "L2", "", "Doc10", -(kPage / 2), kPage, "f13", "", "f27=Y", "F", "",
                            "Y"));
    EXPECT_EQ(PageOf(batch), Slice(doctors, 9 - kPage / 2, kPage));

    // Down at the bottom row, one record at a time to the end.
    for (int first = 9 - kPage / 2 + 1; first + kPage <= kCount; ++first) {
        ASSERT_TRUE(batch.StepForward());
        ASSERT_EQ(PageOf(batch), Slice(doctors, first, kPage)) << "window at " << first;
    }
    EXPECT_EQ(batch.SecondMark, 0);
    // Up at the top row, back to the start.
    for (int first = kCount - kPage - 1; first >= 0; --first) {
        ASSERT_TRUE(batch.StepBack());
        ASSERT_EQ(PageOf(batch), Slice(doctors, first, kPage)) << "window at " << first;
    }
    EXPECT_EQ(batch.FirstMark, 0);

    ASSERT_TRUE(batch.LastPage());
    EXPECT_EQ(PageOf(batch), Slice(doctors, kCount - kPage, kPage));
    ASSERT_TRUE(batch.PriorPage());
    EXPECT_EQ(PageOf(batch), Slice(doctors, kCount - 2 * kPage, kPage));
    ASSERT_TRUE(batch.FirstPage());
    EXPECT_EQ(PageOf(batch), Slice(doctors, 0, kPage));
    ASSERT_TRUE(batch.NextPage());
    EXPECT_EQ(PageOf(batch), Slice(doctors, kPage, kPage));
}

TEST_F(PagingTest, DateRangeQueryReadsTheDaysAsked) {
    cRecordBatch batch;
    ASSERT_TRUE(batch.QueryDateRange(db.get(), "Cases", "L8", hospital, 13, {2024, 3, 5}, {2024, 3, 9}, "f13", "", "",
                                     "f18=Y"));
    Seqs days;
    if (batch.Set->First()) do
            days.push_back(batch.Set->ReadField("f13").substr(0, 8));
        while (batch.Set->Next());
    EXPECT_EQ(days, (Seqs{"20240305", "20240306", "20240307", "20240308", "20240309"}));
}

}  // namespace
}  // namespace dalvero::test
