// The log-in against a crowd and an attacker: guesses sent at once, a
// throttle that must not lock the owner out nor hold back other accounts,
// floods of refusals in the audit trail, the queue in front of hashing and a
// session that outlives its connection.

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "db_server_connection.h"
#include "hash_queue.h"
#include "log_in.h"
#include "login_service.h"
#include "password_hash.h"
#include "real_server.h"
#include "record_ops.h"
#include "schema.h"
#include "test_store.h"
#include "table_catalogue.h"
#include "tuned_server.h"

using dalvero::StringList;
using dalvero::test::RealServer;
namespace server = dalvero::server;
namespace au = dalvero::server::schema::audit;

namespace {

bool LogInAs(dalvero::dbServerConnection& db, const std::string& email, const std::string& password) {
    StringList person;
    std::string session;
    return dalvero::LogIn(db, email, password, person, session);
}

// The failed log-in rows of the trail naming the e-mail (any e-mail when
// empty).
std::vector<server::Record> FailedLogIns(server::Storage& store, const std::string& email = {}) {
    server::ListRead read;
    read.table = server::schema::kAuditTrail;
    read.where = {{au::kAction, server::CompareOp::Equal, "login-failed", false}};
    if (!email.empty()) read.where.push_back({au::kEmail, server::CompareOp::Equal, email, false});
    return store.Select(read);
}

}  // namespace

TEST(LogIn, GuessesSentAtOnceAreCheckedOnceAndHoldBackNoOtherAccount) {
    RealServer server(RealServer::Demo);
    server.SetSecurity("LoginDelaySeconds", "60");
    const auto& planner = server.DemoUser("Discharge Planner");
    const auto& admin = server.DemoUser("Administrator");
    constexpr int kGuesses = 12;
    std::vector<std::unique_ptr<dalvero::dbServerConnection>> connections;
    for (int i = 0; i < kGuesses; ++i) connections.push_back(server.ConnectData("Dalvero", false));
    std::atomic<int> refusedAsThrottled = 0;
    std::vector<std::thread> guesses;
    for (int i = 0; i < kGuesses; ++i) {
        guesses.emplace_back([&, i] {
            auto& db = *connections[static_cast<std::size_t>(i)];
            EXPECT_FALSE(LogInAs(db, planner.email, "guess" + std::to_string(i)));
            refusedAsThrottled += db.ErrorText.find("try again later") != std::string::npos;
        });
    }
    for (auto& guess : guesses) guess.join();
    EXPECT_EQ(refusedAsThrottled, kGuesses - 1) << "one guess checked, the others met its failure";
    // The planner's failure delays the planner on this machine, nobody else.
    EXPECT_TRUE(LogInAs(*connections[0], admin.email, admin.password)) << connections[0]->ErrorText;
    EXPECT_FALSE(LogInAs(*connections[1], planner.email, planner.password));

    // The eleven tries refused and the owner's are one counted row, written at
    // the latest when the server stops.
    auto gibberish = server.ConnectData("Dalvero", false);
    EXPECT_FALSE(LogInAs(*gibberish, std::string(40'000, 'x') + "@mercy.test", "pw"));
    EXPECT_EQ(gibberish->ErrorText, "Invalid login");
    server.Restart();
    auto store = server.OpenStore();
    const std::vector<server::Record> rows = FailedLogIns(*store, planner.email);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Field(au::kDetail), "wrong password");
    EXPECT_EQ(rows[1].Field(au::kDetail).rfind(std::to_string(kGuesses) + " log-ins refused", 0), 0u)
        << rows[1].Field(au::kDetail);
    for (const server::Record& row : FailedLogIns(*store)) EXPECT_LT(row.Field(au::kEmail).size(), 300u);
}

TEST(LogIn, AnAccountLockedOnOneAddressOpensOnAnotherAfterTheLockOrWithANewPassword) {
    RealServer server(RealServer::Demo);
    auto store = server.OpenStore();
    server::SecurityConfig config;
    config.passwordIterations = RealServer::kPasswordIterations;
    config.lockAfterFailures = 3;
    std::time_t now = 1'800'000'000;
    server::LoginService logins(*store, config, [&now] { return now; });
    const auto& planner = server.DemoUser("Discharge Planner");
    const auto guess = [&] {
        for (int i = 0; i < 3; ++i, now += 100) EXPECT_FALSE(logins.LogIn(planner.email, "guess", "10.0.0.66").ok);
        EXPECT_FALSE(logins.LogIn(planner.email, planner.password, "10.0.0.66").ok) << "locked on the guesser's address";
    };
    guess();
    EXPECT_TRUE(logins.LogIn(planner.email, planner.password, "10.0.0.7").ok) << "the owner's machine";
    now += config.lockSeconds;
    EXPECT_TRUE(logins.LogIn(planner.email, planner.password, "10.0.0.66").ok) << "the lock ran out";

    // An administrator unlocks the account at once by giving it a new password.
    guess();
    const auto person = logins.LogIn(planner.email, planner.password, "10.0.0.7").person.seq;
    store->Update(dalvero::catalogue::tbl::kPersonnel, person,
                  {{dalvero::catalogue::personnel::kPassword, dalvero::HashPassword("new-pass", 1000)}});
    EXPECT_TRUE(logins.LogIn(planner.email, "new-pass", "10.0.0.66").ok);

    // Guessing across accounts locks the address for everyone.
    for (int i = 0; i < 3 * 5; ++i, now += 10)
        EXPECT_FALSE(logins.LogIn("nobody" + std::to_string(i) + "@x.test", "pw", "10.0.0.9").ok);
    EXPECT_FALSE(logins.LogIn(planner.email, "new-pass", "10.0.0.9").ok);
}

TEST(LogIn, LogInsBeyondTheSlotsWaitForATurnUntilTheQueueIsFull) {
    server::HashQueue queue(1, 1);
    std::optional<server::HashQueue::Turn> held = queue.Enter();
    ASSERT_TRUE(held.has_value());
    // Of two more, one waits in the queue and the other is refused at once.
    std::atomic<int> served = 0, refused = 0;
    std::vector<std::thread> more;
    for (int i = 0; i < 2; ++i) more.emplace_back([&] { ++(queue.Enter().has_value() ? served : refused); });
    for (int i = 0; i < 1000 && refused == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(served, 0) << "no turn while the slot is held";
    held.reset();
    for (auto& thread : more) thread.join();
    EXPECT_EQ(served, 1);
}

TEST(LogIn, LogInsWaitingForAHashHoldUpNoOtherRequest) {
    // Two workers, one slow hash at a time: three log-ins of unknown e-mails
    // (hashed at the policy's rounds) take a while and used to take both.
    dalvero::test::TunedServer server({{"Connections", "Workers", "2"},
                                       {"Security", "ConcurrentHashes", "1"},
                                       {"Security", "PasswordIterations", "500000"}});
    // The stored hashes are weaker than that policy allows: the reader takes
    // up a session opened beside the server.
    const auto owned = dalvero::test::OpenFolderStore(server.DataDir());
    dalvero::server::Storage& store = *owned;
    server::SecurityConfig weaker;
    weaker.passwordIterations = RealServer::kPasswordIterations;
    const auto& admin = RealServer::DemoAdministrator();
    const std::string session = server::LoginService(store, weaker).LogIn(admin.email, admin.password, "").token;
    dalvero::dbServerConnection reader("127.0.0.1", std::to_string(server.Instance().DataPort()), "Dalvero", session,
                                       true, 30, server.CaFile());
    std::vector<std::unique_ptr<dalvero::dbServerConnection>> connections;
    for (int i = 0; i < 3; ++i)
        connections.push_back(RealServer::ConnectDataAt(server.Instance().DataPort(), server.CaFile(), "Dalvero", nullptr));
    std::atomic<int> answered = 0;
    std::vector<std::thread> logIns;
    for (auto& db : connections)
        logIns.emplace_back([&answered, &db] {
            LogInAs(*db, "nobody@nowhere.example", "pw");
            ++answered;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    StringList values;
    EXPECT_TRUE(dalvero::ReadRecord(reader, "Cases", "1", values)) << reader.ErrorText;
    EXPECT_LE(answered, 1) << "the read waited for the log-ins";
    for (auto& thread : logIns) thread.join();
}

TEST(LogIn, TheSessionOutlivesItsConnection) {
    RealServer server(RealServer::Demo);
    const auto& planner = server.DemoUser("Discharge Planner");
    auto db = server.ConnectData("Dalvero", false);
    ASSERT_TRUE(LogInAs(*db, planner.email, planner.password));
    server.Stop();
    server.Resume();
    StringList values;
    dalvero::ReadRecord(*db, "Cases", "1", values);  // meets the broken connection
    ASSERT_TRUE(dalvero::ReadRecord(*db, "Cases", "1", values)) << db->ErrorText;
    EXPECT_GT(values.size(), 10u) << "read as the planner without a second log-in";
}
