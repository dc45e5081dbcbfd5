// The HL7 admission listener on a demo server, fed by a real HL7 peer:
// python3-hl7's mllp_send over plain TCP and its asyncio client over TLS.
// What the messages did is read back from the store and through a
// DataServer list, as a planner's open case list reads it.

#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "raw_connection.h"
#include "real_server.h"
#include "record_batch.h"
#include "schema.h"
#include "server_config.h"
#include "shell_command.h"
#include "sqlite_storage.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "temp_dir.h"
#include "tuned_server.h"

namespace {

namespace cat = dalvero::catalogue;
namespace cs = dalvero::catalogue::cases;
using dalvero::server::CompareOp;
using dalvero::server::Record;
using dalvero::test::RawConnection;
using dalvero::test::RunShell;
using dalvero::test::TunedServer;

constexpr char kSsn[] = "111223333";

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts{{}};
    for (const char c : text) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}
constexpr char kDemoHospital[] = "1";

// A segment with the given fields filled, the others empty.
std::string Segment(const std::string& name, const std::map<int, std::string>& fields) {
    std::string text = name;
    const int last = fields.empty() ? 0 : fields.rbegin()->first;
    for (int field = 1; field <= last; ++field) {
        const auto found = fields.find(field);
        text += "|" + (found == fields.end() ? std::string() : found->second);
    }
    return text + "\r";
}

std::string Message(const std::string& event, const std::string& controlId, const std::map<int, std::string>& pid,
                    const std::map<int, std::string>& pv1, const std::string& facility = "DEMO") {
    return "MSH|^~\\&|ADT1|" + facility + "|DALVERO|SVMC|20261207011500||ADT^" + event + "^ADT_A01|" + controlId +
           "|P|2.5.1\r" + Segment("EVN", {{1, event}, {2, "20261207011500"}}) + Segment("PID", pid) +
           Segment("PV1", pv1);
}

std::map<int, std::string> Jane() {
    return {{3, "M1^^^DEMO^MR"},
            {5, "Doe^Jane^Q"},
            {7, "19400102"},
            {8, "F"},
            {11, "12 Main St^^Columbus^OH^43210"},
            {13, "^PRN^PH^^^614^5551234~^NET^Internet^jane@example.com"},
            {19, "111-22-3333"}};
}

class Hl7Listener : public ::testing::Test {
protected:
    explicit Hl7Listener(const std::string& tls = "N")
        : server({{"HL7", "Port", "0"}, {"HL7", "TLS", tls}, {"HL7", "AllowFrom", "127.0.0.1"}}) {}

    // The acknowledgements mllp_send printed for the messages, as their
    // segments (frames and line ends taken off).
    std::vector<std::string> Send(const std::vector<std::string>& messages) {
        const auto file = dir.Path() / ("batch" + std::to_string(++batches) + ".hl7");
        std::ofstream(file, std::ios::binary) << [&] {
            std::string all;
            for (const std::string& m : messages) all += m;
            return all;
        }();
        const auto sent = RunShell("mllp_send --loose -p " + std::to_string(server.Instance().Hl7Port()) + " -f '" +
                                   file.string() + "' 127.0.0.1");
        EXPECT_EQ(sent.exitCode, 0) << sent.out;
        std::vector<std::string> acks;
        for (const std::string& block : Split(sent.out, '\x0b'))
            if (!block.empty()) acks.push_back(block.substr(0, block.find('\x1c')));
        return acks;
    }
    std::string SendOne(const std::string& message) {
        const auto acks = Send({message});
        return acks.size() == 1 ? acks.front() : "no single acknowledgement";
    }

    std::vector<Record> Select(const char* table, std::vector<dalvero::server::Condition> where) {
        dalvero::server::SqliteStorage store(server.Instance().Config().databaseFile.string());
        dalvero::server::ListRead read;
        read.table = table;
        read.where = std::move(where);
        return store.Select(read);
    }
    std::vector<Record> CasesNumbered(const std::string& visit) {
        return Select(cat::tbl::kCases, {{cs::kCaseNumber, CompareOp::Equal, visit, false}});
    }

    dalvero::test::TempDir dir{"dalvero-hl7"};
    TunedServer server;
    int batches = 0;
};

// MSA-1 and MSA-3 of an acknowledgement: "AA|" for applied.
std::string Answer(const std::string& ack) {
    const auto msa = ack.find("MSA|");
    if (msa == std::string::npos) return "no MSA in " + ack;
    const auto fields = Split(ack.substr(msa, ack.find('\r', msa) - msa), '|');
    return fields.size() > 3 ? fields[1] + "|" + fields[3] : ack;
}

TEST_F(Hl7Listener, AdmissionDischargeAndCancelsFromMllpSendReachTheStoreOnce) {
    const std::string admit =
        Message("A01", "MSG1", Jane(), {{3, "4W^412^B"}, {7, "9^Hayes^Robert"}, {19, "V1"}, {44, "202612062200"}});
    const std::string firstAck = SendOne(admit);
    EXPECT_EQ(Answer(firstAck), "AA|");

    std::vector<Record> cases = CasesNumbered("V1");
    ASSERT_EQ(cases.size(), 1u);
    const Record& theCase = cases.front();
    EXPECT_EQ(theCase.Field(cs::kHospital), kDemoHospital);
    EXPECT_EQ(theCase.Field(cs::kAdmission), "20261206");
    EXPECT_EQ(theCase.Field(cs::kRoom) + "/" + theCase.Field(cs::kBed), "412/B");
    EXPECT_EQ(theCase.Field(cs::kSex) + " " + theCase.Field(cs::kStreet) + " " + theCase.Field(cs::kZip),
              "F 12 Main St 43210");
    EXPECT_EQ(theCase.Field(cs::kPhone) + " " + theCase.Field(cs::kEmail), "6145551234 jane@example.com");
    EXPECT_EQ(theCase.Field(cs::kCaseWorker), "");
    const std::string patient = theCase.Field(cs::kPatient);
    const std::vector<Record> patients = Select(cat::tbl::kPatients, {{1, CompareOp::Equal, patient, false}});
    ASSERT_EQ(patients.size(), 1u);
    const Record& jane = patients.front();
    EXPECT_EQ(jane.Field(cat::patients::kSsn), kSsn);
    EXPECT_EQ(jane.Field(cat::patients::kLastName) + "," + jane.Field(cat::patients::kFirstName) + "," +
                  jane.Field(cat::patients::kBirthDate),
              "Doe,Jane,19400102");
    // Robert Hayes is a physician of the demo hospital: the case's primary one.
    const auto doctors = Select(cat::tbl::kCaseDoctorsLink,
                                {{cat::case_doctors::kCase, CompareOp::Equal, std::to_string(theCase.seq), false}});
    ASSERT_EQ(doctors.size(), 1u);
    EXPECT_EQ(doctors.front().Field(cat::case_doctors::kPrimary), cat::case_doctors::kPrimaryMark);

    // The planners' open list of the hospital shows it, with no case worker yet.
    auto db = server.ConnectData(&dalvero::test::RealServer::DemoLoginWith("Discharge Planner"));
    dalvero::cRecordBatch open;
    ASSERT_TRUE(open.Query(db.get(), cat::tbl::kCases, cs::kListOpenByHospital, kDemoHospital, "", 0, 1000,
                           "f22,f23,P12", "P=Patients:f10", "", "F"));
    bool listed = false;
    for (bool more = open.Set->First(); more; more = open.Set->Next())
        if (open.Set->ReadField("f22") == "V1")
            listed = open.Set->ReadField("f23").empty() && open.Set->ReadField("P12") == "Doe";
    EXPECT_TRUE(listed);

    // A resend is not applied again and gets the first answer, also after a restart.
    EXPECT_EQ(SendOne(admit), firstAck);
    server.Restart();
    EXPECT_EQ(SendOne(admit), firstAck);
    EXPECT_EQ(CasesNumbered("V1").size(), 1u);

    // A08 finds her by the record number alone; A03 discharges, A13 takes it back.
    const std::vector<std::string> acks = Send({
        Message("A08", "MSG2", {{3, "M1^^^DEMO^MR"}, {5, "Doe-Smith^Jane"}, {11, "7 Elm Rd^^Columbus^OH^43210"}}, {}),
        Message("A03", "MSG3", {{3, "M1^^^DEMO^MR"}}, {{19, "V1"}, {45, "20261209103000"}}),
    });
    ASSERT_EQ(acks.size(), 2u);
    EXPECT_EQ(Answer(acks[0]) + " " + Answer(acks[1]), "AA| AA|");
    const auto renamed = Select(cat::tbl::kPatients, {{1, CompareOp::Equal, patient, false}});
    EXPECT_EQ(renamed.front().Field(cat::patients::kLastName), "Doe-Smith");
    EXPECT_EQ(CasesNumbered("V1").front().Field(cs::kStreet), "7 Elm Rd");
    EXPECT_EQ(CasesNumbered("V1").front().Field(cs::kDischarge), "20261209103000");
    EXPECT_EQ(Answer(SendOne(Message("A13", "MSG4", {{3, "M1^^^DEMO^MR"}}, {{19, "V1"}}))), "AA|");
    EXPECT_EQ(CasesNumbered("V1").front().Field(cs::kDischarge), "");

    // A second stay admitted and cancelled leaves nothing behind.
    EXPECT_EQ(Answer(SendOne(Message("A04", "MSG5", Jane(), {{19, "V2"}, {44, "20261207"}}))), "AA|");
    EXPECT_EQ(CasesNumbered("V2").size(), 1u);
    EXPECT_EQ(Answer(SendOne(Message("A11", "MSG6", Jane(), {{19, "V2"}}))), "AA|");
    EXPECT_TRUE(CasesNumbered("V2").empty());

    // Each applied message once in the trail, with the facility and sender as who.
    const auto trail = Select(dalvero::server::schema::kAuditTrail,
                              {{dalvero::server::schema::audit::kAction, CompareOp::Equal, "adt", false}});
    ASSERT_EQ(trail.size(), 6u);
    EXPECT_EQ(trail.front().Field(dalvero::server::schema::audit::kEmail) + " " +
                  trail.front().Field(dalvero::server::schema::audit::kAddress) + " " +
                  trail.front().Field(dalvero::server::schema::audit::kDetail),
              "hl7:DEMO 127.0.0.1 A01 MSG1");
}

TEST_F(Hl7Listener, WhatCannotBeAppliedIsAnsweredAndChangesNothing) {
    ASSERT_EQ(Answer(SendOne(Message("A01", "OK1", Jane(), {{19, "V1"}, {44, "20261206"}}))), "AA|");
    const std::size_t patients = Select(cat::tbl::kPatients, {}).size();
    const std::size_t cases = Select(cat::tbl::kCases, {}).size();

    const std::vector<std::string> acks = Send({
        Message("A01", "BAD1", Jane(), {{19, "V9"}, {44, "20261206"}}, "ELSEWHERE"),
        Message("A02", "BAD2", Jane(), {{19, "V1"}}),
        Message("A03", "BAD3", Jane(), {{19, "V404"}, {45, "20261209"}}),
        Message("A01", "BAD4", {{3, "M7"}, {5, "Roe^Richard"}, {7, "19401399"}}, {{19, "V7"}, {44, "20261206"}}),
        Message("A01", "BAD5", Jane(), {{19, "V1"}, {44, "20261206"}}),
    });
    ASSERT_EQ(acks.size(), 5u);
    EXPECT_EQ(Answer(acks[0]), "AR|Unknown sending facility ELSEWHERE");
    EXPECT_EQ(Answer(acks[1]), "AR|Unsupported event A02");
    EXPECT_EQ(Answer(acks[2]), "AE|No case has visit number V404");
    EXPECT_EQ(Answer(acks[3]), "AE|PID-7 date of birth is not a date and time: 19401399");
    EXPECT_EQ(Answer(acks[4]), "AE|Visit number V1 has a case already");
    EXPECT_NE(acks[2].find("\rERR|||204^^HL70357|E"), std::string::npos) << acks[2];
    // An answer given is the answer for good: the same control id after a
    // fix would be a different message.
    EXPECT_EQ(Answer(SendOne(Message("A03", "BAD3", Jane(), {{19, "V1"}, {45, "20261209"}}))),
              "AE|No case has visit number V404");

    // Planners' work is never thrown away by a cancel.
    dalvero::server::SqliteStorage(server.Instance().Config().databaseFile.string())
        .Update(cat::tbl::kCases, CasesNumbered("V1").front().seq, {{cs::kCaseWorker, "5"}});
    EXPECT_EQ(Answer(SendOne(Message("A11", "BAD6", Jane(), {{19, "V1"}}))),
              "AE|Case V1 is being planned already; a planner must cancel it");

    // A block that holds no HL7 is rejected; framing that is no MLLP block
    // ends the connection unanswered.
    RawConnection raw(server.Instance().Hl7Port());
    ASSERT_TRUE(raw.Connected());
    raw.Send("\x0bGET / HTTP/1.0\r\x1c\r");
    EXPECT_EQ(Answer(raw.ReadUntil("\x1c\r")), "AR|Not an HL7 v2 message");
    raw.Send(Message("A01", "RAW1", Jane(), {{19, "V8"}, {44, "20261206"}}) + "\x1c\r");
    EXPECT_TRUE(raw.ClosedByServer());

    EXPECT_EQ(Select(cat::tbl::kPatients, {}).size(), patients);
    EXPECT_EQ(Select(cat::tbl::kCases, {}).size(), cases);
    EXPECT_EQ(CasesNumbered("V1").size(), 1u);
}

class Hl7OverTls : public Hl7Listener {
protected:
    Hl7OverTls() : Hl7Listener("Y") {}
};

TEST_F(Hl7OverTls, AnEngineOnAnAllowedAddressAdmitsOverVerifiedTlsAndNoOneElseConnects) {
    const auto file = dir.Path() / "a01.hl7";
    std::ofstream(file, std::ios::binary) << Message("A01", "TLS1", Jane(), {{19, "T1"}, {44, "20261206"}});
    // Debian's python3-hl7 is the system Python's, whatever python3 comes first on the path.
    const auto sent = RunShell("/usr/bin/python3 '" DALVERO_HL7_TLS_PEER "' " +
                               std::to_string(server.Instance().Hl7Port()) + " '" + server.CaFile() + "' '" +
                               file.string() + "' 2>&1");
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    EXPECT_EQ(sent.out, "MSA|AA|TLS1|\n");
    EXPECT_EQ(CasesNumbered("T1").size(), 1u);

    // Plain MLLP on the TLS port, and any address AllowFrom does not name.
    for (const char* from : {"127.0.0.1", "127.0.0.2"}) {
        RawConnection raw(server.Instance().Hl7Port(), from);
        raw.Send("\x0b" + Message("A01", "TLS2", Jane(), {{19, "T2"}, {44, "20261206"}}) + "\x1c\r");
        EXPECT_TRUE(raw.ClosedByServer()) << from;
    }
    EXPECT_TRUE(CasesNumbered("T2").empty());
}

TEST(Hl7Settings, ASenderNoOneNamedOrAFacilityOfNoHospitalStopsTheServer) {
    using dalvero::server::ConfigError;
    dalvero::test::TempDir dir("dalvero-hl7-ini");
    auto load = [&](const std::string& section) {
        std::ofstream(dir.Path() / "server.ini") << "[HL7]\n" << section;
        return dalvero::server::LoadServerConfig(dir.Path());
    };
    EXPECT_FALSE(load("Port=\nFacility.A=1\n").hl7.enabled);
    const auto on = load("Port=2575\nTLS=N\nFacility.MERCY_ADT=7\n");
    EXPECT_TRUE(on.hl7.enabled && !on.hl7.tls && on.hl7.allowFrom.Admits("127.0.0.1"));
    EXPECT_EQ(on.hl7.facilities, (std::map<std::string, std::string>{{"MERCY_ADT", "7"}}));
    for (const char* bad : {"Port=2575\nAllowFrom=\nFacility.A=1\n", "Port=2575\nAllowFrom=10.0.0.0/40\nFacility.A=1\n",
                            "Port=2575\nFacility.A=01\n", "Port=2575\n"})
        EXPECT_THROW(load(bad), ConfigError) << bad;

    const std::filesystem::path folder = dalvero::test::RealServer::CopyDataFolder(dalvero::test::RealServer::Demo);
    dalvero::IniFile ini;
    ini.LoadFromFile((folder / "server.ini").string());
    ini.WriteString("HL7", "Port", "0");
    ini.WriteString("HL7", "Facility.GONE", "999999");
    ini.SaveToFile((folder / "server.ini").string(), 0600);
    EXPECT_THROW(dalvero::server::ServerInstance(folder, 0, 0), std::runtime_error);
    std::filesystem::remove_all(folder);
}

}  // namespace
