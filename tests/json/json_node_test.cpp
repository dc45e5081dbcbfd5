#include "json_node.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace dalvero {
namespace {

TEST(JsonNodeParse, PermissiveMixedQuotesAndNesting) {
    cJsonNode root("{ 'someName':74.7, \"x\":'demo', myObject:{myArray:['u','i','o','p'], other:'value'} }");
    ASSERT_EQ(root.Count(), 3);
    EXPECT_FALSE(root.IsArray());
    EXPECT_EQ(root.NameAt(0), "someName");
    EXPECT_EQ(root.KindAt(0), cJsonNode::kNumber);
    EXPECT_EQ(root.GetString("SOMENAME"), "74.7");
    EXPECT_EQ(root.KindAt(1), cJsonNode::kString);
    EXPECT_EQ(root.GetString("x"), "demo");
    EXPECT_EQ(root.GetString("myObject"), "object");

    cJsonNode* obj = root.GetMember("myobject");
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->Parent(), &root);
    EXPECT_EQ(obj->Name(), "myObject");
    cJsonNode* arr = obj->GetMember("myArray");
    ASSERT_NE(arr, nullptr);
    EXPECT_TRUE(arr->IsArray());
    ASSERT_EQ(arr->Count(), 4);
    EXPECT_EQ(arr->Items()[3], "p");
    EXPECT_EQ(obj->GetString("other"), "value");
}

TEST(JsonNodeParse, ScalarKinds) {
    cJsonNode nulls("{a:1,b:,c:null}");
    EXPECT_EQ(nulls.KindAt(0), cJsonNode::kNumber);
    EXPECT_EQ(nulls.KindAt(1), cJsonNode::kNull);
    EXPECT_EQ(nulls.KindAt(2), cJsonNode::kNull);
    EXPECT_EQ(nulls.GetString("b"), "");
    EXPECT_EQ(nulls.Items()[2], "c=null");
    EXPECT_EQ(nulls.ToText(), "{a:1,b:null,c:null}");

    cJsonNode flags("{flag:true,off:false}");
    EXPECT_EQ(flags.GetString("flag"), "1");
    EXPECT_EQ(flags.GetString("off"), "0");
    EXPECT_EQ(flags.KindAt(0), cJsonNode::kBoolean);
    EXPECT_EQ(flags.ToText(), "{flag:true,off:false}");

    cJsonNode zero("{n:0}");
    EXPECT_EQ(zero.KindAt(0), cJsonNode::kWord);
    EXPECT_EQ(zero.ToText(), "{n:0}");
    EXPECT_EQ(cJsonNode("{n:-0.5}").KindAt(0), cJsonNode::kNumber);
}

TEST(JsonNodeParse, QuotedSeparatorsDoNotSplit) {
    cJsonNode root("{s:'a,b',t:'x:y'}");
    ASSERT_EQ(root.Count(), 2);
    EXPECT_EQ(root.GetString("s"), "a,b");
    EXPECT_EQ(root.GetString("t"), "x:y");

    cJsonNode escaped(R"({msg:"say \"hi\", ok",z:1})");
    ASSERT_EQ(escaped.Count(), 2);
    EXPECT_EQ(escaped.GetString("z"), "1");
    // Reading undoes the writer's escapes, so the text survives a round trip.
    EXPECT_EQ(escaped.GetString("msg"), "say \"hi\", ok");
    EXPECT_EQ(escaped.ToText(), R"({msg:"say \"hi\", ok",z:1})");
}

TEST(JsonNodeParse, ArraysAndNullElements) {
    cJsonNode arr("[1,null,'x',{k:v},[]]");
    ASSERT_TRUE(arr.IsArray());
    ASSERT_EQ(arr.Count(), 5);
    EXPECT_EQ(arr.KindAt(1), cJsonNode::kNull);
    EXPECT_EQ(arr.Items()[1], "null");
    EXPECT_EQ(arr.ChildAt(3)->GetString("k"), "v");
    EXPECT_EQ(arr.GetMember("k"), nullptr);
    arr.AddMember("ignored", "7");
    EXPECT_EQ(arr.Items()[5], "7");
    EXPECT_EQ(arr.ToText(), "[1,null,\"x\",{k:v},,7]");
}

TEST(JsonNodeMembers, EmptyNestedNodeWritesAsNothingAndReadsBackNull) {
    cJsonNode root("{list:[]}");
    EXPECT_EQ(root.ToText(), "{list:}");
    cJsonNode back(root.ToText());
    EXPECT_EQ(back.KindAt(0), cJsonNode::kNull);
    EXPECT_EQ(back.GetString("list"), "");
    // A null member is walked like a missing one rather than refused.
    cJsonNode* list = back.GetMember("list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Items()[0], "list=object");
}

TEST(JsonNodeMembers, SettingAgainReplacesAndMovesLast) {
    cJsonNode root("{a:{x:1},b:2}");
    root.AddMember("A", "3");
    ASSERT_EQ(root.Count(), 2);
    EXPECT_EQ(root.Items()[0], "b=2");
    EXPECT_EQ(root.Items()[1], "A=3");
    EXPECT_EQ(root.ChildAt(1), nullptr);
    EXPECT_EQ(root.ToText(), "{b:2,A:3}");
    root.RemoveMember("b");
    EXPECT_FALSE(root.HasMember("b"));
    EXPECT_TRUE(root.HasMember("a"));
}

TEST(JsonNodeMembers, AHundredThousandMembersEachSetTwiceKeepTheirOrderAndChildren) {
    // Every member set again, from the first on: each replacement removes a
    // member from the front, the case a scan per member made quadratic.
    constexpr int kMembers = 100'000;
    std::string text = "{";
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < kMembers; ++i) text += "m" + std::to_string(i) + ":" + (pass ? "{v:" : "") +
                                                  std::to_string(i) + (pass ? "}," : ",");
    text.back() = '}';
    cJsonNode root(text);
    ASSERT_EQ(root.Count(), kMembers);
    EXPECT_EQ(root.NameAt(0), "m0");
    EXPECT_EQ(root.NameAt(kMembers - 1), "m" + std::to_string(kMembers - 1));
    cJsonNode* last = root.GetMember("M99999");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->GetString("v"), "99999");

    for (int i = 0; i < kMembers; i += 2) root.RemoveMember("m" + std::to_string(i));
    ASSERT_EQ(root.Count(), kMembers / 2);
    EXPECT_EQ(root.IndexOf("m1"), 0);
    EXPECT_EQ(root.IndexOf("m2"), -1);
    EXPECT_EQ(root.ChildAt(kMembers / 2 - 1), last) << "a child outlives the removal of members before it";
    root.AddMember("m1", "again");
    EXPECT_EQ(root.IndexOf("M1"), kMembers / 2 - 1);
    EXPECT_EQ(root.ValueAt(0), "object");
    EXPECT_EQ(root.GetString("m3"), "object");
}

TEST(JsonNodeMembers, GetMemberCreatesEmptyObjectOrRefusesScalar) {
    cJsonNode root("{a:1}");
    EXPECT_EQ(root.GetMember("a"), nullptr);
    cJsonNode* m = root.GetMember("m");
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(root.HasMember("M"));
    EXPECT_EQ(root.ToText(), "{a:1,m:}");
    m->AddMember("k", "v w");
    EXPECT_EQ(root.ToText(), "{a:1,m:{k:\"v w\"}}");
    EXPECT_EQ(root.GetMember("m"), m);
}

TEST(JsonNodeWrite, NamesWithSeparatorsAreQuoted) {
    cJsonNode root;
    EXPECT_EQ(root.ToText(), "");
    root.AddMember("a:b", "1");
    root.AddMember("plain name", "2");
    root.AddMember("q\"x", "3");
    const std::string text = root.ToText();
    EXPECT_EQ(text, R"({"a:b":1,plain name:2,"q\"x":3})");
    cJsonNode back(text);
    EXPECT_EQ(back.GetString("a:b"), "1");
    EXPECT_EQ(back.GetString("plain name"), "2");
    EXPECT_EQ(back.GetString("q\"x"), "3");
}

TEST(JsonNodeWrite, MemoTextSurvivesRepeatedSaves) {
    const std::string memo = "Allergic to \"penicillin\",\r\n\tlatex\\rubber \\n\r\n";
    cJsonNode root;
    root.GetMember("AllergiesGroupBox")->GetMember("Details")->GetMember("AllergiesMemo")->AddMember("Data", memo);
    std::string text = root.ToText();
    for (int save = 0; save < 3; ++save) {
        cJsonNode reread(text);
        EXPECT_EQ(reread.GetMember("AllergiesGroupBox")->GetMember("Details")->GetMember("AllergiesMemo")->GetString("Data"),
                  memo);
        text = reread.ToText();
    }
}

TEST(JsonNodeMalformed, EmptyElementsMissingBracketsAndQuotes) {
    EXPECT_EQ(cJsonNode("{a:1,,b:2}").ToText(), "{a:1,b:2}");
    EXPECT_EQ(cJsonNode("{a:1,}").ToText(), "{a:1}");
    EXPECT_EQ(cJsonNode("{:5,'':6}").Count(), 0);
    cJsonNode unclosed("{a:1,b:22");
    EXPECT_EQ(unclosed.GetString("b"), "2");
    cJsonNode quote("{a:'x,b:2,c:3}");
    ASSERT_EQ(quote.Count(), 1);
    EXPECT_EQ(quote.GetString("a"), "x,b:2,c:3");
    cJsonNode noColon("{lonely,b:2}");
    EXPECT_EQ(noColon.KindAt(0), cJsonNode::kNull);
    EXPECT_TRUE(noColon.HasMember("lonely"));
    EXPECT_EQ(cJsonNode("{").Count(), 0);
    EXPECT_EQ(cJsonNode("{a:\"open}").GetString("a"), "open");
}

TEST(JsonNodeMalformed, DeepNestingIsCappedNotRecursedWithoutLimit) {
    const int levels = 100000;
    const std::string deep = std::string(levels, '[') + std::string(levels, ']');
    cJsonNode root(deep);
    int depth = 0;
    const cJsonNode* node = &root;
    while (node->Count() == 1 && node->ChildAt(0)) {
        node = node->ChildAt(0);
        ++depth;
    }
    EXPECT_EQ(depth, cJsonNode::kMaxDepth);
    ASSERT_EQ(node->Count(), 1);
    EXPECT_EQ(node->KindAt(0), cJsonNode::kString);
}

TEST(JsonNodeStrict, EveryNameAndWordQuotedNumbersOnlyWhereJsonHasThem) {
    const cJsonNode node("{a:1,b:word,c:'say \"hi\"\tnow',d:[1,{e:null}],f:01,g:-2.5e3,h:true,i:'\x1b[2J'}");
    EXPECT_EQ(node.ToStrictJson(),
              "{\"a\":1,\"b\":\"word\",\"c\":\"say \\\"hi\\\"\\tnow\",\"d\":[1,{\"e\":null}],\"f\":\"01\","
              "\"g\":-2.5e3,\"h\":true,\"i\":\"\\u001b[2J\"}");
    EXPECT_EQ(cJsonNode("[]").ToStrictJson(), "[]");
    // JSON is UTF-8: a stray byte becomes U+FFFD, a whole sequence stays.
    EXPECT_EQ(StrictJsonString("a\xff\xc3\xa9\xe2\x82"), "\"a\\ufffd\u00e9\\ufffd\\ufffd\"");
}

}  // namespace
}  // namespace dalvero
