#include <gtest/gtest.h>

#include "string_list.h"

using dalvero::ParseCommaText;
using dalvero::StringList;
using dalvero::ToCommaText;
using Items = std::vector<std::string>;

TEST(CommaText, WritesQuotesOnlyWhereNeeded) {
    EXPECT_EQ(ToCommaText({"V2", "Cases", "L4", ""}), "V2,Cases,L4,");
    EXPECT_EQ(ToCommaText({"Error=Bad table", "a,b", "say \"hi\"", "tab\there"}),
              "\"Error=Bad table\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\"");
    EXPECT_EQ(ToCommaText({}), "");
    EXPECT_EQ(ToCommaText({""}), "\"\"");
    EXPECT_EQ(ToCommaText({"", ""}), ",");
    // Bytes above 127 (UTF-8) are ordinary characters, never quoted.
    EXPECT_EQ(ToCommaText({"Ménière"}), "Ménière");
}

TEST(CommaText, ReadsQuotedUnquotedAndBlankSeparatedItems) {
    EXPECT_EQ(ParseCommaText("Seq=12,\"Error=Bad table\",ErrorCode=5"),
              (Items{"Seq=12", "Error=Bad table", "ErrorCode=5"}));
    EXPECT_EQ(ParseCommaText("Name=John Smith"), (Items{"Name=John", "Smith"}));
    EXPECT_EQ(ParseCommaText("  a ,  b,c  "), (Items{"a", "b", "c"}));
    EXPECT_EQ(ParseCommaText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(ParseCommaText("a,"), (Items{"a", ""}));
    EXPECT_EQ(ParseCommaText(""), Items{});
    EXPECT_EQ(ParseCommaText("\"\""), Items{""});
    EXPECT_EQ(ParseCommaText("\"say \"\"hi\"\"\",x"), (Items{"say \"hi\"", "x"}));
    // A missing closing quote takes the rest of the text.
    EXPECT_EQ(ParseCommaText("a,\"open, end"), (Items{"a", "open, end"}));
    // A NUL ends the text as it does on the wire.
    EXPECT_EQ(ParseCommaText(std::string_view("a,b\0c", 5)), (Items{"a", "b"}));
}

TEST(CommaText, RoundTripsAwkwardItems) {
    const Items items{"", "plain", "two words", "comma,inside", "\"quoted\"", "line\r\nbreak", "x", ""};
    EXPECT_EQ(ParseCommaText(ToCommaText(items)), items);
}

TEST(NameValueList, FindsByNameIgnoringCaseAndFirstMatchWins) {
    StringList list{"Seq=12", "seq=99", "novalue", "Key=a=b"};
    EXPECT_EQ(list.IndexOfName("SEQ"), 0);
    EXPECT_EQ(list.Value("seq"), "12");
    EXPECT_EQ(list.Value("key"), "a=b");
    EXPECT_EQ(list.IndexOfName("novalue"), -1);
    EXPECT_EQ(list.Value("missing"), "");
}

TEST(NameValueList, SettingEmptyRemovesAndOtherwiseReplacesOrAppends) {
    StringList list;
    list.SetValue("Key", "");
    list.SetValue("ProgramID", "Dalvero");
    EXPECT_EQ(list.CommaText(), "ProgramID=Dalvero");
    list.SetValue("A", "1");
    list.SetValue("programid", "Other");
    EXPECT_EQ(list.items(), (Items{"programid=Other", "A=1"}));
    list.SetValue("PROGRAMID", "");
    EXPECT_EQ(list.items(), Items{"A=1"});
}

TEST(WireNumbers, ReadWholeAndDecimalNumbersWithFallback) {
    EXPECT_EQ(dalvero::ToIntDef("17", 0), 17);
    EXPECT_EQ(dalvero::ToIntDef(" -3", 0), -3);
    EXPECT_EQ(dalvero::ToIntDef("abc", 8700), 8700);
    EXPECT_EQ(dalvero::ToIntDef("12x", 0), 0);
    EXPECT_EQ(dalvero::ToIntDef("", 5), 5);
    EXPECT_EQ(dalvero::ToIntDef("99999999999", 1), 1);
    EXPECT_DOUBLE_EQ(dalvero::ToFloatDef("46000.5", 0), 46000.5);
    EXPECT_DOUBLE_EQ(dalvero::ToFloatDef("x", 0), 0);
}
