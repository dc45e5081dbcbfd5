// Reading HL7 v2 text: separators chosen by the sender, escapes, components
// and repetitions, what is no message at all, and the values the ADT
// mapping refuses rather than half reads. Also who the listener lets in.

#include <gtest/gtest.h>

#include "address_filter.h"
#include "adt_fields.h"
#include "hl7_message.h"

namespace {

using dalvero::server::AddressFilter;
using dalvero::server::hl7::AdtRefusal;
using dalvero::server::hl7::Message;

TEST(Hl7Message, ValuesComeUnescapedFromTheSendersOwnSeparators) {
    // Separators other than the usual ones, and segments ended by CR LF.
    const auto m = Message::Parse("MSH#*@!%#APP#FAC#####ADT*A01#1#P#2.4\r\n"
                                  "PID#1##A1****MR@B2#O!F!Brien*Ann%Marie*!S!#x!X4A6F!y!Q!z\r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Value("MSH", 1), "#");
    EXPECT_EQ(m->Value("MSH", 2), "*@!%");
    EXPECT_EQ(m->Value("MSH", 4), "FAC");
    EXPECT_EQ(m->Value("MSH", 9, 2), "A01");
    EXPECT_EQ(m->Repetitions("PID", 3), 2);
    EXPECT_EQ(m->Value("PID", 3, 5), "MR");
    EXPECT_EQ(m->Value("PID", 3, 1, 1), "B2");
    EXPECT_EQ(m->Value("PID", 4, 1), "O#Brien");
    EXPECT_EQ(m->Value("PID", 4, 2), "Ann");  // its first subcomponent
    EXPECT_EQ(m->Value("PID", 4, 3), "*");
    EXPECT_EQ(m->Value("PID", 5), "xJoy!Q!z");  // hex bytes; an unknown escape kept as sent
    EXPECT_EQ(m->Value("PID", 40), "");
    EXPECT_EQ(m->Value("PV1", 3), "");
    // What this system writes reads back as it was.
    const std::string odd = "a|b^c~d\\e&f\ng";
    EXPECT_EQ(Message::Parse("MSH|^~\\&|" + Message::Escape(odd) + "\r")->Value("MSH", 3), odd);
}

TEST(Hl7Message, TextThatIsNoMessageIsRefused) {
    for (const char* text : {"", "MSH|^~\\", "PID|1\rMSH|^~\\&|A", "MSH|^^\\&|A", "MSH|^~\\ |A", "MSH|^~\\&|A\rpid|1",
                             "MSH|^~\\&|A\rMSH|^~\\&|B", "MSH1^~\\&|A"})
        EXPECT_FALSE(Message::Parse(text)) << text;
}

TEST(Hl7Message, AdtValuesOutsideTheStoresFormsAreRefused) {
    using dalvero::server::hl7::StoredDateTime;
    EXPECT_EQ(StoredDateTime("20261206", "x"), "20261206000000");
    EXPECT_EQ(StoredDateTime("202612062215-0500", "x"), "20261206221500");
    EXPECT_EQ(StoredDateTime("20261206221530.1234", "x"), "20261206221530");
    EXPECT_FALSE(StoredDateTime("", "x"));
    for (const char* bad : {"2026120", "202612061", "20261306", "20261206246000", "2026-12-06", "20261206x"})
        EXPECT_THROW(StoredDateTime(bad, "x"), AdtRefusal) << bad;
    auto ssn = [](const std::string& value) {
        return dalvero::server::hl7::Ssn(*Message::Parse("MSH|^~\\&|A\rPID" + std::string(19, '|') + value + "\r"));
    };
    EXPECT_EQ(ssn("123-45-6789"), "123456789");
    EXPECT_EQ(ssn(""), "");
    EXPECT_THROW(ssn("12345678"), AdtRefusal);
    EXPECT_THROW(ssn("123456789X"), AdtRefusal);
}

TEST(AddressFilter, AdmitsTheNamedAddressesAndNetworksOnly) {
    std::string error;
    const auto filter = AddressFilter::Parse("10.20.0.0/14, 192.168.1.7 fd00::/8", error);
    ASSERT_TRUE(filter) << error;
    for (const char* in : {"10.23.255.1", "10.20.0.0", "192.168.1.7", "::ffff:10.21.0.9", "fd12::1"})
        EXPECT_TRUE(filter->Admits(in)) << in;
    for (const char* out : {"10.24.0.1", "192.168.1.8", "fe80::1", "::1", "", "nonsense"})
        EXPECT_FALSE(filter->Admits(out)) << out;
    for (const char* bad : {"10.0.0.0/33", "10.0.0.0/", "host.example", "::1/129"})
        EXPECT_FALSE(AddressFilter::Parse(bad, error)) << bad;
    EXPECT_TRUE(AddressFilter::Parse("", error)->Empty());
}

}  // namespace
