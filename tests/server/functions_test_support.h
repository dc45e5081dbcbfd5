#pragma once
// A FunctionServer on a fresh SQLite store with an outbox, a pinned clock and
// builders for the records the commands read.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "function_server.h"
#include "login_service.h"
#include "json_node.h"
#include "mail_test_support.h"
#include "schema.h"
#include "test_store.h"
#include "table_catalogue.h"
#include "temp_dir.h"

namespace functions_test {

namespace cat = dalvero::catalogue;
namespace schema = dalvero::server::schema;
using dalvero::cJsonNode;
using dalvero::server::FieldValues;
using dalvero::server::Record;

// 2025-03-10 12:00:00 UTC, a Monday.
inline constexpr std::time_t kNow = 1741608000;

class FunctionsTest : public ::testing::Test {
protected:
    FunctionsTest() {
        // Stamps and "today" are local time; pin the zone so they are known.
        setenv("TZ", "UTC", 1);
        tzset();
        storage = dalvero::test::TestStore(folder.Path()).Open();
        dalvero::server::mail::Settings settings;
        settings.from = "dalvero@general.example";
        settings.outbox = outbox();
        mailer = std::make_unique<dalvero::server::mail::Mailer>(settings);
        dalvero::server::SecurityConfig security;
        security.passwordIterations = 1000;
        logins = std::make_unique<dalvero::server::LoginService>(*storage, security);
        trail = std::make_unique<dalvero::server::AuditWriter>(*storage, [] { return kNow; });
        server = std::make_unique<dalvero::server::FunctionServer>(*storage, *mailer, *logins, *trail, [] { return kNow; });
    }

    // A session of an administrator of `hospital` (made once per hospital).
    std::string Session() {
        if (sessionHospital != hospital || session.empty()) {
            const std::string email = "admin" + S(hospital) + "@general.example";
            Add(cat::tbl::kPersonnel, {{cat::personnel::kHospital, S(hospital)},
                                       {cat::personnel::kEmail, email},
                                       {cat::personnel::kPassword, "pw"},
                                       {cat::personnel::kAdministrator, "Y"}});
            session = logins->LogIn(email, "pw", "127.0.0.1").token;
            sessionHospital = hospital;
        }
        return session;
    }

    std::filesystem::path outbox() const { return folder.Path() / "outbox"; }

    // Sends a request built as the client builds it, with an administrator's
    // session of `hospital`, and parses the reply.
    std::unique_ptr<cJsonNode> Call(const std::vector<std::pair<std::string, std::string>>& members) {
        cJsonNode request;
        for (const auto& [name, value] : members) request.AddMember(name, value);
        request.AddMember("Session", Session());
        return Parse(server->HandleCommand(request.ToText()));
    }
    // A request written by hand, sent with the session as its first member.
    std::string Handle(const std::string& text) {
        return server->HandleCommand(text.rfind('{', 0) == 0 ? "{Session:" + Session() + "," + text.substr(1) : text);
    }
    static std::unique_ptr<cJsonNode> Parse(const std::string& reply) {
        EXPECT_FALSE(reply.empty());
        return std::make_unique<cJsonNode>(reply);
    }

    std::int64_t Add(const char* table, FieldValues values) { return storage->Add(table, values); }
    std::string Get(const char* table, std::int64_t seq, int field) {
        const auto record = storage->Read(table, seq);
        if (!record) return "<no record>";
        const auto it = record->fields.find(field);
        return it == record->fields.end() ? "" : it->second;
    }
    static std::string S(std::int64_t seq) { return std::to_string(seq); }

    std::int64_t AddZip(const std::string& zip, double latitude, double longitude) {
        return Add(schema::kZipCentroids, {{schema::zip_centroids::kZip, zip},
                                           {schema::zip_centroids::kLatitude, std::to_string(latitude)},
                                           {schema::zip_centroids::kLongitude, std::to_string(longitude)}});
    }
    std::int64_t AddProvider(const std::string& name, const std::string& zip, FieldValues more = {}) {
        more[cat::providers::kName] = name;
        more[cat::providers::kZip] = zip;
        return Add(cat::tbl::kProviderEntities, more);
    }
    void Serves(std::int64_t provider, std::int64_t category) {
        Add(cat::tbl::kProviderCategoryLink, {{cat::category_link::kProvider, S(provider)},
                                              {cat::category_link::kCategory, S(category)}});
    }
    void Accepts(std::int64_t provider, std::int64_t insurance) {
        Add(schema::kProviderInsuranceLink, {{schema::provider_insurance::kProvider, S(provider)},
                                             {schema::provider_insurance::kInsurance, S(insurance)}});
    }
    std::int64_t AddNeed(std::int64_t caseSeq, std::int64_t category, FieldValues more = {}) {
        more[cat::case_needs::kCase] = S(caseSeq);
        more[cat::case_needs::kCategory] = S(category);
        return Add(cat::tbl::kCaseNeeds, more);
    }
    std::int64_t AddQuote(std::int64_t need, std::int64_t provider, const std::string& status,
                          const std::string& closingMark = "") {
        return Add(cat::tbl::kCaseNeedsQuote,
                   {{schema::quote_need::kNeed, S(need)},
                    {cat::quotes::kProvider, S(provider)},
                    {cat::quotes::kStatus, status},
                    {cat::quotes::kClosingMark, closingMark}});
    }

    // A hospital at ZIP 10000 with a case worker, a patient and one open
    // case whose patient lives there too; primary and secondary insurance.
    void AddHospitalAndCase() {
        AddZip("10000", 40.0, -75.0);
        hospital = AddProvider("General Hospital", "10000",
                               {{cat::providers::kPhone, "555-0100"},
                                {cat::providers::kReplyToEmail, "discharge@general.example"}});
        worker = Add(cat::tbl::kPersonnel, {{cat::personnel::kHospital, S(hospital)},
                                            {cat::personnel::kFirstName, "Carla"},
                                            {cat::personnel::kLastName, "Worker"},
                                            {cat::personnel::kPhone, "555-0123"},
                                            {cat::personnel::kEmail, "carla@general.example"},
                                            {cat::personnel::kDischargePlanner, "Y"}});
        patient = Add(cat::tbl::kPatients, {{cat::patients::kFirstName, "Ann"},
                                            {cat::patients::kLastName, "Smith"},
                                            {cat::patients::kBirthDate, "19400102"}});
        medicare = Add(cat::tbl::kInsuranceTypes, {{cat::insurance_types::kName, "Medicare"}});
        mediCal = Add(cat::tbl::kInsuranceTypes, {{cat::insurance_types::kName, "Medi-Cal"}});
        nursing = Add(cat::tbl::kProviderCategories, {{cat::provider_categories::kName, "Skilled Nursing Facility"}});
        walkers = Add(cat::tbl::kProviderCategories, {{cat::provider_categories::kName, "Walkers"}});
        theCase = Add(cat::tbl::kCases, {{cat::cases::kPatient, S(patient)},
                                         {cat::cases::kHospital, S(hospital)},
                                         {cat::cases::kAdmission, "20250301"},
                                         {cat::cases::kDischarge, "20250312100000"},
                                         {cat::cases::kPrimaryInsurance, S(medicare)},
                                         {cat::cases::kSecondaryInsurance, S(mediCal)},
                                         {cat::cases::kCaseNumber, "C-100"},
                                         {cat::cases::kCaseWorker, S(worker)},
                                         {cat::cases::kZip, "10000"}});
    }

    dalvero::test::TempDir folder{"dalvero-functions"};
    std::unique_ptr<dalvero::server::SqlStorage> storage;
    std::unique_ptr<dalvero::server::mail::Mailer> mailer;
    std::unique_ptr<dalvero::server::LoginService> logins;
    std::unique_ptr<dalvero::server::AuditWriter> trail;
    std::unique_ptr<dalvero::server::FunctionServer> server;
    std::string session;
    std::int64_t sessionHospital = -1;
    std::int64_t hospital = 0, worker = 0, patient = 0, medicare = 0, mediCal = 0, nursing = 0, walkers = 0,
                 theCase = 0;
};

// The names of an object node's members, in order.
inline std::vector<std::string> Names(const cJsonNode& node) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < static_cast<std::size_t>(node.Count()); ++i) names.push_back(node.NameAt(i));
    return names;
}

}  // namespace functions_test
