// Two servers in front of one database serve the same hospital
// interchangeably: what one writes the other reads, a session made on one is
// honoured by the other, failed log-ins count on both, and the audit trail
// stays one chain while both append to it.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "audit_trail.h"
#include "db_server_connection.h"
#include "log_in.h"
#include "real_server.h"
#include "record_ops.h"
#include "server_instance.h"
#include "test_store.h"

namespace dalvero::test {
namespace {

std::unique_ptr<dbServerConnection> Resumed(int port, const std::string& session, const std::string& ca) {
    return std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(port), "Dalvero", session, true, 30, ca);
}

TEST(TwoServersOneDatabase, EitherServesWhatTheOtherWroteAndTheSessionsItOpened) {
    RealServer first(RealServer::Demo);
    server::ServerInstance second(first.DataDir(), 0, 0);
    auto viaFirst = first.ConnectData();
    const std::string seq = AddRecord(*viaFirst, "Patients", StringList{"f10=Shared", "f12=Both"});
    ASSERT_FALSE(seq.empty()) << viaFirst->ErrorText;

    auto viaSecond = Resumed(second.DataPort(), viaFirst->Key, first.CaFile());
    StringList values;
    ASSERT_TRUE(ReadRecord(*viaSecond, "Patients", seq, values)) << viaSecond->ErrorText;
    EXPECT_EQ(values[10], "Shared");
    ASSERT_TRUE(UpdateRecord(*viaSecond, "Patients", seq, StringList{"f11=Second"})) << viaSecond->ErrorText;
    ASSERT_TRUE(ReadRecord(*viaFirst, "Patients", seq, values));
    EXPECT_EQ(values[11], "Second");

    // Planners on both servers at once: one unbroken chain of audit rows.
    std::vector<std::thread> writers;
    for (dbServerConnection* db : {viaFirst.get(), viaSecond.get()})
        writers.emplace_back([db] {
            for (int i = 0; i < 15; ++i) EXPECT_FALSE(AddRecord(*db, "Patients", StringList{"f10=Busy"}).empty());
        });
    for (std::thread& writer : writers) writer.join();
    const auto store = first.OpenStore();
    const server::AuditCheck check = server::VerifyAuditTrail(*store);
    EXPECT_TRUE(check.intact) << check.problem;
}

TEST(TwoServersOneDatabase, GuessesSpreadOverBothServersLockTheAccountOnBoth) {
    RealServer first(RealServer::Demo);
    first.SetSecurity("LockAfterFailures", "3");
    server::ServerInstance second(first.DataDir(), 0, 0);
    const auto& planner = first.DemoUser("Discharge Planner");
    const server::DemoLogin guess{planner.email, "guess", ""};
    for (int port : {first.DataPort(), second.DataPort(), first.DataPort()})
        EXPECT_THROW(RealServer::ConnectDataAt(port, first.CaFile(), "Dalvero", &guess), std::runtime_error);
    EXPECT_THROW(RealServer::ConnectDataAt(second.DataPort(), first.CaFile(), "Dalvero", &planner), std::runtime_error)
        << "the third failure, on the first server, locked the planner on the second";
}

}  // namespace
}  // namespace dalvero::test
