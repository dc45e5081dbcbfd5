#include "record_ops.h"

#include <gtest/gtest.h>

#include "frame.h"
#include "scripted_server.h"

namespace dalvero {
namespace {

using test::ScriptedServer;

TEST(RecordWrite, UpdateSendsItemsInOrderAndReadsFailures) {
    ScriptedServer server({"Seq=77", "Fail", "ErrorCode=5,\"Error=Bad table\"", "Error=Locked", test::kDropConnection});
    const StringList values{"f24=Y", "f25="};
    EXPECT_TRUE(UpdateRecord(server.db, "Cases", "77", values));
    const auto request = server.Requests().at(0);
    EXPECT_EQ(request.header.command, frame::cmd::kRecord);
    EXPECT_EQ(request.header.subCommand, frame::sub::kUpdate);
    EXPECT_EQ(request.Text(), "TableName=Cases,Seq=77,f24=Y,f25=");

    EXPECT_FALSE(UpdateRecord(server.db, "Cases", "77", values));
    EXPECT_FALSE(UpdateRecord(server.db, "Cases", "77", values));
    EXPECT_EQ(server.db.ErrorCode, 5);
    EXPECT_EQ(server.db.ErrorText, "Bad table");
    // An "Error" item alone is a failure too.
    EXPECT_FALSE(UpdateRecord(server.db, "Cases", "77", values));
    EXPECT_FALSE(UpdateRecord(server.db, "Cases", "77", values));
}

TEST(RecordWrite, AddEncodesLineBreaksAndReturnsSeq) {
    ScriptedServer server({"55", "ErrorCode=3", "\"Error=Duplicate key\"", "Seq=9"});
    EXPECT_EQ(AddRecord(server.db, "Cases.def", {"f10=4", "f1001=line1\r\nline2"}), "55");
    const auto request = server.Requests().at(0);
    EXPECT_EQ(request.header.subCommand, frame::sub::kAdd);
    EXPECT_EQ(request.Text(), "TableName=Cases,f10=4,f1001=line1||line2");
    EXPECT_EQ(AddRecord(server.db, "Cases", {"f10=4"}), "");
    EXPECT_EQ(AddRecord(server.db, "Cases", {"f10=4"}), "");

    EXPECT_TRUE(DeleteRecord(server.db, "CaseNeeds", "9"));
    EXPECT_EQ(server.Requests().at(3).header.subCommand, frame::sub::kDelete);
    EXPECT_EQ(server.LastRequestText(), "TableName=CaseNeeds,Seq=9");
}

TEST(RecordRead, ReadRecordRestoresEmptiesAndLineBreaksFindRecordDoesNot) {
    const std::string reply = "0,12,Ann,~~~,,\"a||b\"";
    ScriptedServer server({reply, reply});
    StringList values;
    ASSERT_TRUE(ReadRecord(server.db, "Patients", "12", values));
    EXPECT_EQ(server.LastRequestText(), "TableName=Patients,Seq=12");
    EXPECT_EQ(server.Requests().at(0).header.subCommand, frame::sub::kRead);
    EXPECT_EQ(values, (StringList{"0", "12", "Ann", "", "", "a\r\nb"}));

    ASSERT_TRUE(FindRecord(server.db, "Personnel", 4, "a@b.com", "", values, "h=ProviderEntities:f9", "h10"));
    EXPECT_EQ(server.LastRequestText(),
              "TableName=Personnel,List=4,Key=a@b.com,AliasList=h=ProviderEntities:f9,AliasFields=h10");
    EXPECT_EQ(values, (StringList{"0", "12", "Ann", "~~~", "", "a||b"}));
}

TEST(RecordRead, MissingRecordServerErrorAndDroppedConnection) {
    ScriptedServer server({"~", "\"Error: No table\"", "ErrorCode=2", test::kDropConnection});
    StringList values;
    EXPECT_FALSE(ReadRecord(server.db, "Patients", "12", values));
    EXPECT_EQ(values, StringList{"~"});
    EXPECT_FALSE(ReadRecord(server.db, "Patients", "12", values));
    EXPECT_EQ(values, StringList{"Error: No table"});
    EXPECT_FALSE(FindRecord(server.db, "Patients", 3, "123456789", "", values));
    EXPECT_FALSE(ReadRecord(server.db, "Patients", "12", values));
    EXPECT_EQ(values.CommaText(), "\"Error: SendMessage Failed.\"");
}

TEST(RecordFields, GetRecordFieldsMapsOwnAndAliasFields) {
    // Item 0, then f1 (the Seq) to f11, then the two alias fields asked for.
    const std::string reply = "0,9,b,c,d,e,f,g,h,i,j,Walker,Home,\"Skilled nursing\"";
    ScriptedServer server({reply, "0,9,b,c", "0,9"});
    std::string result;
    ASSERT_TRUE(GetRecordFields(server.db, "CaseNeeds", "9", "PT10,PC11,f11,x", result,
                                "PT=ProviderTypes:f11,PC=ProviderCategories:f12"));
    EXPECT_EQ(ParseCommaText(server.LastRequestText()),
              (std::vector<std::string>{"TableName=CaseNeeds", "Seq=9",
                                        "AliasList=PT=ProviderTypes:f11,PC=ProviderCategories:f12",
                                        "AliasFields=PT10,PC11"}));
    StringList fields;
    fields.SetCommaText(result);
    EXPECT_EQ(fields.Value("Seq"), "9");
    EXPECT_EQ(fields.Value("f11"), "Walker");
    EXPECT_EQ(fields.Value("PT10"), "Home");
    EXPECT_EQ(fields.Value("PC11"), "Skilled nursing");

    // Without an alias list no alias field (not even a note) is asked for.
    ASSERT_TRUE(GetRecordFields(server.db, "Cases", "9", "f2,f1001,P10", result));
    EXPECT_EQ(server.LastRequestText(), "TableName=Cases,Seq=9");
    EXPECT_EQ(result, "Seq=9,f2=b");

    // Fewer values than alias fields asked for: none is guessed.
    ASSERT_TRUE(GetRecordFields(server.db, "CaseNeeds", "9", "PT10,PC11,PD11", result, "PT=ProviderTypes:f11"));
    EXPECT_EQ(result, "Seq=9");
}

TEST(RecordFields, GetRecordFieldsAllFieldsNotesAndFailures) {
    ScriptedServer server({"0,9,b,\"Long note\"", "\"Error: No table\"", "~", "Error=Locked,x"});
    std::string result;
    ASSERT_TRUE(GetRecordFields(server.db, "Cases", "9", "*", result, "P=Patients:f10"));
    EXPECT_EQ(result, "Seq=9,f1=9,f2=b,\"f3=Long note\"");
    EXPECT_FALSE(GetRecordFields(server.db, "Cases", "9", "f1001", result, "P=Patients:f10"));
    EXPECT_EQ(server.LastRequestText(), "TableName=Cases,Seq=9,AliasList=P=Patients:f10,AliasFields=f1001");
    EXPECT_EQ(result, "\"Error=No table\"");
    EXPECT_FALSE(GetRecordFields(server.db, "Cases", "9", "f10", result));
    EXPECT_EQ(result, "~");
    EXPECT_FALSE(GetRecordFields(server.db, "Cases", "9", "f10", result));
    EXPECT_EQ(result, "\"Error=Locked\"");
}

TEST(RecordFields, FindRecordFieldsRestoresLineBreaks) {
    const std::string found = ToCommaText({"Fields=" + ToCommaText({"f10=a||b", "f11=x y"})});
    ScriptedServer server({found, "~", ToCommaText({"ErrorCode=4", "Error=Say \"no\""}), test::kDropConnection});
    std::string fields = "f10,f11";
    ASSERT_TRUE(FindRecordFields(server.db, "Cases", 2, "5", "", fields));
    EXPECT_EQ(server.Requests().at(0).header.subCommand, frame::sub::kReadFields);
    EXPECT_EQ(server.LastRequestText(), "TableName=Cases,List=2,Key=5,\"FieldList=f10,f11\"");
    EXPECT_EQ(ParseCommaText(fields), (std::vector<std::string>{"f10=a\r\nb", "f11=x y"}));

    fields = "all";
    EXPECT_FALSE(ReadRecordFields(server.db, "Personnel", "31", fields));
    EXPECT_EQ(server.LastRequestText(), "TableName=Personnel,List=1,Key=31,FieldList=all");
    EXPECT_EQ(fields, "~");
    fields = "all";
    EXPECT_FALSE(ReadRecordFields(server.db, "Personnel", "31", fields));
    EXPECT_EQ(ParseCommaText(fields), std::vector<std::string>{"Error=Say \"no\""});
    fields = "all";
    EXPECT_FALSE(ReadRecordFields(server.db, "Personnel", "31", fields));
    EXPECT_EQ(fields, "");
}

}  // namespace
}  // namespace dalvero
