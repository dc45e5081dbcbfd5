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

}  // namespace
}  // namespace dalvero
