#include "record_batch.h"

#include <gtest/gtest.h>

#include "frame.h"
#include "scripted_server.h"

namespace dalvero {
namespace {

using test::ScriptedServer;

// A query reply: the header marks, one line per record, the end position.
std::string PageReply(int firstMark, int secondMark, const std::vector<std::vector<std::string>>& records,
                      int position) {
    std::vector<std::string> items{ToCommaText({std::to_string(firstMark), std::to_string(secondMark)})};
    for (const auto& record : records) items.push_back(ToCommaText(record));
    items.push_back(std::to_string(position));
    return ToCommaText(items);
}

std::vector<std::string> Record(int seq, std::string value) { return {"0", "0", std::to_string(seq), std::move(value)}; }

// The request items of the i-th query the server received.
std::vector<std::string> Sent(const ScriptedServer& server, std::size_t i) {
    return ParseCommaText(server.Requests().at(i).Text());
}

TEST(RecordBatchQuery, SendsQueryItemsAndReadsFields) {
    ScriptedServer server({PageReply(1, 2,
                                     {{"4", "1", "12", "Smith", "20040506", "Jo||hn"},
                                      {"5", "0", "13", "Brown", "", "Ann"}},
                                     25)});
    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 0, 1000, "f10,f12,P10", "P=Patients:f10", "", "F"));

    const auto request = server.Requests().at(0);
    EXPECT_EQ(request.header.command, frame::cmd::kQuery);
    // Start 0 on a forward list without KeyTo goes out as 1; option12 as "N".
    EXPECT_EQ(request.Text(), "V2,Cases,L4,7,,1,1000,\"f10,f12,P10\",P=Patients:f10,,F,,N");

    EXPECT_TRUE(batch.Valid);
    EXPECT_EQ(batch.FirstMark, 1);
    EXPECT_EQ(batch.SecondMark, 2);
    cBatchSet& set = *batch.Set;
    EXPECT_EQ(set.Count, 2);
    EXPECT_EQ(set.Position, 25);
    ASSERT_TRUE(set.First());
    EXPECT_EQ(set.RecordNumber, 4);
    EXPECT_EQ(set.RecordFlag, 1);
    EXPECT_EQ(set.Seq, "12");
    EXPECT_EQ(set.ReadField("F10"), "Smith");
    EXPECT_EQ(set.ReadField(10), "Smith");
    EXPECT_EQ(set.ReadField("p10"), "Jo\r\nhn");
    EXPECT_EQ(set.ReadDate(12), (CivilDate{2004, 5, 6}));

    EXPECT_TRUE(set.Next());
    EXPECT_EQ(set.Seq, "13");
    EXPECT_TRUE(set.ReadDate("f12").IsNull());
    EXPECT_FALSE(set.Next());
    EXPECT_EQ(set.Seq, "13");
    EXPECT_EQ(set.ReadField("f99"), "");
    EXPECT_EQ(set.Message, "Reading a field not in local");
}

TEST(RecordBatchQuery, ThreeReplyForms) {
    ScriptedServer server({"0,17", "0", "5", PageReply(1, 2, {}, 3)});
    cRecordBatch batch;
    EXPECT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set->Count, 0);
    EXPECT_EQ(batch.Set->Position, 17);
    EXPECT_FALSE(batch.Set->First());

    EXPECT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set->Count, 0);
    EXPECT_FALSE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set->Count, 0);
    // A header and a position but no record lines: an empty page.
    EXPECT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set->Count, 0);
    EXPECT_EQ(batch.Set->Position, 3);
    EXPECT_TRUE(batch.Valid);
}

TEST(RecordBatchQuery, UnusableRepliesAndConnections) {
    ScriptedServer server({"7,x,3", test::kDropConnection});
    cRecordBatch batch;
    EXPECT_FALSE(batch.Query(nullptr, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set, nullptr);

    EXPECT_FALSE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    EXPECT_EQ(batch.Set->Message, "Invalid data from DBServer.");
    EXPECT_FALSE(batch.Valid);
    EXPECT_FALSE(batch.NextPage());

    EXPECT_FALSE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    ASSERT_NE(batch.Set, nullptr);
    EXPECT_EQ(batch.Set->Count, 0);
}

TEST(RecordBatchSet, StarFieldListExtraFieldsAndBrokenOrShortLines) {
    ScriptedServer server({PageReply(1, 1, {{"1", "0", "12", "12", "Ann"}}, 1),
                           PageReply(1, 1, {{"1", "0", "12", "Ann", "PT10:Home health"}}, 1),
                           PageReply(1, 2, {{"1", "0"}, {"2", "0", "9", "x"}}, 2),
                           PageReply(1, 1, {{"1", "0", "12", "abc"}}, 1)});
    cRecordBatch batch;
    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "*", "", "", "F"));
    // "*" turns into the fields the record brought, so later pages ask for them.
    EXPECT_EQ(batch.FieldList, "f1,f2");
    EXPECT_EQ(batch.Set->ReadField(1), "12");
    EXPECT_EQ(batch.Set->ReadField("f2"), "Ann");

    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    cBatchSet& set = *batch.Set;
    EXPECT_EQ(set.FieldNames, (std::vector<std::string>{"f10", "PT10"}));
    // Extra fields come as "name:value"; reading gives the value.
    EXPECT_EQ(set.ReadField("pt10"), "Home health");
    EXPECT_EQ(set.ReadField("f10"), "Ann");

    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f10", "", "", "F"));
    cBatchSet& broken = *batch.Set;
    EXPECT_FALSE(broken.First());
    EXPECT_EQ(broken.Message, "The record at the index is missing data.");
    EXPECT_EQ(broken.Seq, "");
    EXPECT_TRUE(broken.GoTo(1));
    EXPECT_EQ(broken.ReadField("f11"), "");
    EXPECT_EQ(broken.Message, "Reading a field not in local");
    EXPECT_FALSE(broken.GoTo(2));
    EXPECT_EQ(broken.Message, "Invalid index");
    EXPECT_EQ(broken.RecordIndex(), 0);

    // A column missing from a short line, and a date that is none.
    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L4", "7", "", 1, 10, "f12,f13", "", "", "F"));
    EXPECT_TRUE(batch.Set->ReadDate("f12").IsNull());
    EXPECT_EQ(batch.Set->ReadField("f13"), "");
    EXPECT_EQ(batch.Set->Message, "The field is missing in the data list");
}

TEST(RecordBatchPaging, ForwardPagesMarksAndEndOfList) {
    ScriptedServer server({PageReply(1, 3, {Record(1, "a"), Record(2, "b"), Record(3, "c")}, 6),
                           PageReply(4, 6, {Record(4, "d"), Record(5, "e"), Record(6, "f")}, 6),
                           // The backward page comes from the server last record first.
                           PageReply(3, 1, {Record(3, "c"), Record(2, "b"), Record(1, "a")}, 6)});
    cRecordBatch batch;
    EXPECT_FALSE(batch.NextPage());
    EXPECT_TRUE(server.Requests().empty());

    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L3", "7", "", 0, 3, "f10", "", "f18=Y", "F", "", "Y"));
    ASSERT_TRUE(batch.NextPage());
    EXPECT_EQ(Sent(server, 1)[5], "3");
    EXPECT_EQ(Sent(server, 1)[10], "F");
    EXPECT_EQ(batch.FirstMark, 4);

    ASSERT_TRUE(batch.PriorPage());
    const auto prior = Sent(server, 2);
    EXPECT_EQ(prior[5], "4");
    EXPECT_EQ(prior[10], "R");
    EXPECT_EQ(batch.Direction, "F");
    // Shown in list order again, marks in list order too.
    EXPECT_EQ(batch.FirstMark, 1);
    EXPECT_EQ(batch.SecondMark, 3);
    cBatchSet& set = *batch.Set;
    ASSERT_TRUE(set.First());
    EXPECT_EQ(set.ReadField("f10"), "a");
    set.Next();
    set.Next();
    EXPECT_EQ(set.ReadField("f10"), "c");

    // A start beyond the list's end position is refused without a request.
    batch.SecondMark = 7;
    EXPECT_FALSE(batch.NextPage());
    EXPECT_EQ(batch.Set->Message, "Beginning or end of list");
    // A refused backward page keeps the marks it never replaced.
    batch.FirstMark = 9;
    EXPECT_FALSE(batch.PriorPage());
    EXPECT_EQ(batch.FirstMark, 9);
    EXPECT_EQ(batch.SecondMark, 7);
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST(RecordBatchPaging, ZeroMarkStopsDependingOnOption12) {
    ScriptedServer server({PageReply(0, 2, {Record(1, "a"), Record(2, "b")}, 2),
                           PageReply(0, 2, {Record(1, "a"), Record(2, "b")}, 2)});
    cRecordBatch kept;
    ASSERT_TRUE(kept.Query(&server.db, "Cases", "L3", "7", "", 0, 2, "f10", "", "", "F", "", "Y"));
    EXPECT_TRUE(kept.PriorPage());
    EXPECT_EQ(kept.Set->Count, 2);

    cRecordBatch plain;
    ASSERT_TRUE(plain.Query(&server.db, "Cases", "L3", "7", "", 0, 2, "f10", "", "", "F"));
    EXPECT_FALSE(plain.StepBack());
    EXPECT_EQ(plain.Set->Count, 0);
    EXPECT_EQ(plain.Set->Message, "Beginning or end of list");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(RecordBatchPaging, DirectionTurnsPerOperation) {
    const std::string page = PageReply(1, 2, {Record(1, "a"), Record(2, "b")}, 9);
    ScriptedServer server({page, page, page, page, page, page});
    cRecordBatch batch;
    // Anything but F or M reads backwards.
    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L2", "7", "", 5, 2, "f10", "", "", "x"));
    EXPECT_EQ(Sent(server, 0)[10], "L");
    EXPECT_EQ(Sent(server, 0)[5], "5");
    ASSERT_TRUE(batch.NextPage());
    EXPECT_EQ(Sent(server, 1)[10], "R");
    ASSERT_TRUE(batch.StepForward());
    EXPECT_EQ(Sent(server, 2)[10], "F");
    ASSERT_TRUE(batch.FirstPage());
    EXPECT_EQ(Sent(server, 3)[5], "0");
    EXPECT_EQ(Sent(server, 3)[10], "R");
    ASSERT_TRUE(batch.LastPage());
    EXPECT_EQ(Sent(server, 4)[10], "F");
    EXPECT_EQ(batch.Direction, "L");

    ASSERT_TRUE(batch.Query(&server.db, "Cases", "L2", "7", "", 0, 2, "f10", "", "", "F"));
    EXPECT_EQ(Sent(server, 5)[5], "1");
}

TEST(RecordBatchQuery, DateRangeAddsBoundsToFilter) {
    ScriptedServer server({"0,0"});
    cRecordBatch batch;
    ASSERT_TRUE(batch.QueryDateRange(&server.db, "Cases", "L8", "3", 13, {2024, 1, 2}, {2024, 1, 31}, "f10,f13", "",
                                     "", "f18=Y"));
    EXPECT_EQ(Sent(server, 0), (std::vector<std::string>{"V2", "Cases", "L8", "3", "01/02/2024", "0", "1000000",
                                                          "f10,f13", "", "f18=Y,f13>=01/02/2024,f13<=01/31/2024",
                                                          "F", "", "D"}));
    EXPECT_EQ(batch.KeyTo, "");
}

}  // namespace
}  // namespace dalvero
