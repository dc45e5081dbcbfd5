#include <gtest/gtest.h>

#include "dataserver_fixture.h"
#include "password_hash.h"
#include "refusal_codes.h"
#include "string_list.h"

namespace dalvero::test {
namespace {

using Strings = std::vector<std::string>;
namespace sub = frame::sub;

class RecordRequestTest : public DataServerTest {
protected:
    Strings ReadItems(const std::vector<std::string>& request) { return ParseCommaText(Record(sub::kRead, request)); }
    StringList Fields(const std::vector<std::string>& request) {
        const std::string reply = Record(sub::kReadFields, request);
        return StringList(ParseCommaText(StringList(ParseCommaText(reply)).Value("Fields")));
    }
};

TEST_F(RecordRequestTest, FindUsesTheListsKeyAndOwner) {
    EXPECT_EQ(ReadItems({"TableName=Patients", "List=3", "Key=987654321"}).at(1), data.pat2);
    EXPECT_EQ(ReadItems({"TableName=Patients", "List=1", "Key=" + data.pat1}).at(1), data.pat1);
    EXPECT_EQ(Record(sub::kRead, {"TableName=Patients", "List=3", "Key=000000000"}), "~");
    // No key finds nothing, not the records that have no key.
    EXPECT_EQ(Record(sub::kRead, {"TableName=Personnel", "List=4"}), "~");
    EXPECT_EQ(Record(sub::kRead, {"TableName=Personnel", "Seq=999999"}), "~");

    // The call list finds a case by its number within the hospital.
    const StringList mercyCase = Fields({"TableName=Cases", "List=7", "Key=C-100", "Owner=" + data.mercy,
                                         "FieldList=f1,p10,p11,p12", "AliasList=p=Patients:f10"});
    EXPECT_EQ(mercyCase.items(), (Strings{"f1=" + data.openC1, "p10=Pat", "p11=", "p12=One"}));
    // St Jude's case of the same number does not exist for a Mercy administrator.
    EXPECT_EQ(Record(sub::kReadFields, {"TableName=Cases", "List=7", "Key=C-100", "Owner=" + data.stJude, "FieldList=f1"}),
              "~");
    EXPECT_NE(ErrorCodeOf(Record(sub::kRead, {"TableName=Patients", "List=3", "Key=1", "Owner=2"})), 0);
}

TEST_F(RecordRequestTest, PasswordsAreHashedByTheServerAndNeverSent) {
    const std::string seq =
        Record(sub::kAdd, {"TableName=Personnel", "f11=Neil", "f22=neil@mercy.test", "f23=Tr0ub4dor&3"});
    auto stored = [&] { return storage->Read("Personnel", std::stoll(seq))->fields[23]; };
    EXPECT_EQ(PasswordHashIterations(stored()), TestSecurity().passwordIterations);
    EXPECT_TRUE(VerifyPassword("Tr0ub4dor&3", stored()));
    // No reply carries it: a read, a selected-fields read, a list, a join.
    EXPECT_EQ(ReadItems({"TableName=Personnel", "Seq=" + seq}).at(23), "");
    EXPECT_EQ(Fields({"TableName=Personnel", "List=1", "Key=" + seq, "FieldList=all"}).Value("f23"), "");
    EXPECT_EQ(Query("Personnel", "L1", seq, "", 1, 10, "f23").Column(3), (Strings{""}));
    EXPECT_EQ(Query("Cases", "L1", data.openC1, "", 1, 10, "cm23", "cm=Personnel:f23").Column(3), (Strings{""}));
    // Text shaped like a cheap stored hash is a password like any other.
    const std::string cheap = "pbkdf2-sha256$1$AAAAAAAAAAA=$AAAAAAAAAAA=";
    ASSERT_EQ(Record(sub::kUpdate, {"TableName=Personnel", "Seq=" + seq, "f23=" + cheap}), "OK");
    EXPECT_TRUE(VerifyPassword(cheap, stored()));
    EXPECT_EQ(PasswordHashIterations(stored()), TestSecurity().passwordIterations);
}

TEST_F(RecordRequestTest, RequestsItCannotServeGetAnErrorReplyAndWriteNothing) {
    const std::vector<std::pair<std::uint32_t, Strings>> bad = {
        {sub::kAdd, {"TableName=Nowhere", "f10=x"}},
        {sub::kAdd, {"TableName=Patients", "f18=x"}},
        {sub::kAdd, {"TableName=Patients", "f1=7"}},
        {sub::kAdd, {"TableName=Patients", "g10=x"}},
        {sub::kAdd, {"TableName=Patients", "f10=ok", "no equals sign"}},
        {sub::kUpdate, {"TableName=Patients", "Seq=abc", "f10=x"}},
        {sub::kUpdate, {"TableName=Patients", "f10=x"}},
        {sub::kRead, {"TableName=Patients"}},
        {sub::kRead, {"TableName=Patients", "List=9", "Key=1"}},
        {sub::kRead, {"TableName=Patients", "Seq=1", "AliasFields=Q10"}},
        {sub::kReadFields, {"TableName=Patients", "List=1", "Key=1", "FieldList=f10,f99"}},
        {20099, {"TableName=Patients"}},
    };
    for (const auto& [subCommand, items] : bad) {
        const std::string reply = Record(subCommand, items);
        EXPECT_NE(ErrorCodeOf(reply), 0) << ToCommaText(items) << " -> " << reply;
    }
    EXPECT_EQ(storage->Count("Patients", {}), 2);
}

TEST_F(RecordRequestTest, WritesKeepDatesTextCapsClosedCasesAndLoadedValues) {
    const auto update = [&](const std::string& table, const std::string& seq, Strings values) {
        values.insert(values.begin(), {"TableName=" + table, "Seq=" + seq});
        return Record(sub::kUpdate, values);
    };
    const auto stored = [&](const char* table, const std::string& seq, int field) {
        return storage->Read(table, std::stoll(seq))->Field(field);
    };
    // Half a stamp is refused; whole ones go.
    EXPECT_EQ(ErrorCodeOf(update("CaseNeeds", data.needN1, {"f14=202406110"})), refusal::kBadValue);
    EXPECT_EQ(update("CaseNeeds", data.needN1, {"f14=202406110930"}), "OK");
    const std::string tooLong = update("CaseNeeds", data.needN1, {"f15=" + std::string(2001, 'x')});
    EXPECT_EQ(ErrorCodeOf(tooLong), refusal::kBadValue);
    EXPECT_NE(tooLong.find("longer than 2000"), std::string::npos) << tooLong;

    // A closed case takes nothing new and no change but its reopening; the
    // close names who closed it.
    EXPECT_EQ(ErrorCodeOf(Record(sub::kAdd, {"TableName=CaseNeeds", "f10=" + data.closedC3})), refusal::kCaseClosed);
    EXPECT_EQ(ErrorCodeOf(update("Cases", data.closedC3, {"f14=12"})), refusal::kCaseClosed);
    EXPECT_EQ(update("Cases", data.closedC3, {"f18="}), "OK");
    EXPECT_EQ(update("Cases", data.closedC3, {"f14=12"}), "OK");
    EXPECT_EQ(update("Cases", data.closedC3, {"f18=Y"}), "OK");
    EXPECT_EQ(stored("Cases", data.closedC3, 8), data.admin);

    // A field sent with the value it was loaded with is written only while
    // that is still the stored one.
    const std::string room = stored("Cases", data.openC1, 14);
    EXPECT_EQ(update("Cases", data.openC1, {"f14=A", "Loaded.f14=" + room}), "OK");
    EXPECT_EQ(ErrorCodeOf(update("Cases", data.openC1, {"f14=B", "Loaded.f14=" + room})), refusal::kChanged);
    EXPECT_EQ(stored("Cases", data.openC1, 14), "A");
    EXPECT_EQ(update("Cases", data.openC1, {"f14=B"}), "OK");
}

}  // namespace
}  // namespace dalvero::test
