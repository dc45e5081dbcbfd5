#pragma once
// A small hospital in a throwaway data folder, served by a DataServer
// session: the shared ground of the DataServer tests, and of loopback tests
// against the real listener.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data_server_session.h"
#include "login_service.h"
#include "test_store.h"
#include "temp_dir.h"

namespace dalvero::test {

// Seqs of the records the data set holds, as the wire writes them.
struct HospitalData {
    std::string mercy, stJude;                      // hospitals (ProviderEntities)
    std::string alpha, sunrise, sunset, sunnyside;  // providers
    std::string medicare, blueShield;               // InsuranceTypes
    std::string nurseType;                          // PersonnelTypes
    std::string admin, worker1, worker2, adams, baker, judeWorker;  // Personnel
    std::string pat1, pat2;                         // Patients
    std::string openC1, openC2, closedC3, closedC4, judeC5;  // Cases
    std::string needN1, needN2Deleted, needN3;      // CaseNeeds of openC1
    std::string quoteW, quoteR, quoteA;             // CaseNeedsQuote of needN1
    std::string skilledNursing, rehab;              // ProviderCategories
    std::string doctorLink;                         // CaseDoctorsLink of openC1
};

// A small hash count and no log-in delays: tests log in often.
server::SecurityConfig TestSecurity();

// Fills storage with two hospitals, their people, patients, open and closed
// cases, needs and quotes, providers and code books.
HospitalData BuildHospital(server::Storage& storage);

// One page of a list query's reply.
struct QueryPage {
    bool records = false;  // false: the "0,N" form
    int firstMark = 0, secondMark = 0;
    std::vector<std::vector<std::string>> lines;  // position, flag, Seq, values...
    int position = 0;

    // Column i of every line (3 is the first field asked for).
    std::vector<std::string> Column(std::size_t i) const;
};
QueryPage ReadQueryReply(const std::string& reply);

// The "ErrorCode" item of a reply, 0 when there is none.
int ErrorCodeOf(const std::string& reply);

// The query request as the client writes it.
std::string QueryText(const std::string& table, const std::string& index, const std::string& keyFrom,
                      const std::string& keyTo, int start, int maxCount, const std::string& fieldList,
                      const std::string& aliasList = {}, const std::string& filter = {},
                      const std::string& direction = "F", const std::string& option12 = "N");

class DataServerTest : public ::testing::Test {
protected:
    DataServerTest();

    // The reply text to one request on a session logged in as data.admin
    // (an administrator of Mercy).
    std::string Ask(std::uint32_t command, std::uint32_t subCommand, const std::string& payload);
    // A list query's page; the arguments are QueryText's.
    template <typename... Args>
    QueryPage Query(Args&&... args) {
        return ReadQueryReply(Ask(frame::cmd::kQuery, 0, QueryText(std::forward<Args>(args)...)));
    }
    // A record request (31001) from name=value items.
    std::string Record(std::uint32_t subCommand, const std::vector<std::string>& items);

    TempDir dir{"dalvero-ds"};
    TestStore place{dir.Path()};
    std::unique_ptr<server::SqlStorage> storage;
    HospitalData data;
    std::unique_ptr<server::LoginService> logins;
    std::unique_ptr<server::AuditWriter> trail;
    std::unique_ptr<server::DataServerSession> session;
};

}  // namespace dalvero::test
