#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "code_books.h"
#include "geo.h"
#include "init_test_support.h"
#include "password_hash.h"
#include "provider_catalogue.h"
#include "schema.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::server::test {
namespace {

namespace fs = std::filesystem;
namespace cat = dalvero::catalogue;

std::vector<Record> All(Storage& storage, const char* table) { return storage.Select({table, {}, {}, false, 0, -1}); }

std::string Get(const Record& record, int field) {
    auto found = record.fields.find(field);
    return found == record.fields.end() ? std::string() : found->second;
}

std::map<std::int64_t, Record> BySeq(const std::vector<Record>& records) {
    std::map<std::int64_t, Record> map;
    for (const Record& r : records) map[r.seq] = r;
    return map;
}

TEST(DemoHospital, CategoriesKeepTheirCatalogueSeqs) {
    Storage& storage = *SharedDemoFolder().storage;
    auto entries = ProviderCategoryEntries();
    ASSERT_EQ(entries.size(), 83u);
    auto categories = BySeq(All(storage, cat::tbl::kProviderCategories));
    auto types = BySeq(All(storage, cat::tbl::kProviderTypes));
    EXPECT_EQ(categories.size(), 82u);
    EXPECT_EQ(types.size(), 6u);
    for (const CategoryEntry& entry : entries) {
        ASSERT_TRUE(categories.count(entry.seq)) << entry.seq;
        const Record& record = categories[entry.seq];
        if (entry.control.find('_') != std::string::npos) continue;  // listed a second time
        EXPECT_EQ(Get(record, cat::provider_categories::kName), entry.caption) << entry.seq;
        std::int64_t type = ToIntDef(Get(record, 10), 0);
        EXPECT_EQ(Get(types[type], cat::provider_types::kName), entry.heading) << entry.seq;
    }
}

TEST(DemoHospital, StaffPasswordsAreStoredHashedAndVerify) {
    DemoFolder& folder = SharedDemoFolder();
    Storage& storage = *folder.storage;
    ASSERT_FALSE(folder.result.logins.empty());
    const std::string password = folder.result.logins.front().password;
    EXPECT_GE(password.size(), 12u);

    std::map<std::string, Record> byEmail;
    for (const Record& person : All(storage, cat::tbl::kPersonnel)) {
        const std::string stored = Get(person, cat::personnel::kPassword);
        EXPECT_TRUE(stored.empty() || IsPasswordHash(stored)) << Get(person, cat::personnel::kEmail);
        EXPECT_TRUE(byEmail.emplace(Get(person, cat::personnel::kEmail), person).second) << "e-mail used twice";
    }
    bool admin = false, planner = false;
    for (const DemoLogin& login : folder.result.logins) {
        ASSERT_TRUE(byEmail.count(login.email)) << login.email;
        const Record& person = byEmail[login.email];
        EXPECT_TRUE(VerifyPassword(login.password, Get(person, cat::personnel::kPassword))) << login.email;
        EXPECT_FALSE(VerifyPassword(login.password + "x", Get(person, cat::personnel::kPassword)));
        bool isAdmin = Get(person, cat::personnel::kAdministrator) == "Y";
        bool isPlanner = Get(person, cat::personnel::kDischargePlanner) == "Y";
        EXPECT_EQ(login.roles.find("Administrator") != std::string::npos, isAdmin) << login.email;
        EXPECT_EQ(login.roles.find("Discharge Planner") != std::string::npos, isPlanner) << login.email;
        admin |= isAdmin;
        planner |= isPlanner;
    }
    EXPECT_TRUE(admin);
    EXPECT_TRUE(planner);
    EXPECT_TRUE(byEmail.count("admin@demo.dalvero"));
    EXPECT_NE(FormatLogins(folder.result.logins).find("admin@demo.dalvero  password " + password), std::string::npos);
}

TEST(DemoHospital, HospitalRecordAndLogo) {
    Storage& storage = *SharedDemoFolder().storage;
    auto staff = All(storage, cat::tbl::kPersonnel);
    std::int64_t hospital = 0;
    for (const Record& person : staff) {
        if (Get(person, cat::personnel::kEmail) == "admin@demo.dalvero") hospital = ToIntDef(Get(person, cat::personnel::kHospital), 0);
    }
    auto record = storage.Read(cat::tbl::kProviderEntities, hospital);
    ASSERT_TRUE(record);
    EXPECT_EQ(Get(*record, cat::providers::kZip), "43210");

    auto logo = storage.ReadRecordFile(cat::tbl::kProviderEntities, hospital, cat::providers::kLogoSlot);
    ASSERT_TRUE(logo);
    std::ifstream in(ReferenceDir() / "demo" / "hospital_logo.jpg", std::ios::binary);
    std::ostringstream shipped;
    shipped << in.rdbuf();
    EXPECT_EQ(logo->content, shipped.str());
}

TEST(DemoHospital, EveryProviderHasAPositionCategoriesAndInsurances) {
    Storage& storage = *SharedDemoFolder().storage;
    std::set<std::string> zips;
    for (const Record& z : All(storage, schema::kZipCentroids)) zips.insert(Get(z, schema::zip_centroids::kZip));
    std::set<std::int64_t> hospitals;
    for (const Record& c : All(storage, cat::tbl::kCases)) hospitals.insert(ToIntDef(Get(c, cat::cases::kHospital), 0));
    for (const Record& p : All(storage, cat::tbl::kPersonnel)) hospitals.insert(ToIntDef(Get(p, cat::personnel::kHospital), 0));
    std::map<std::int64_t, int> categoryLinks, insuranceLinks;
    std::set<int> servedCategories;
    for (const Record& link : All(storage, cat::tbl::kProviderCategoryLink)) {
        ++categoryLinks[ToIntDef(Get(link, cat::category_link::kProvider), 0)];
        servedCategories.insert(ToIntDef(Get(link, cat::category_link::kCategory), 0));
    }
    for (const Record& link : All(storage, schema::kProviderInsuranceLink)) {
        ++insuranceLinks[ToIntDef(Get(link, schema::provider_insurance::kProvider), 0)];
    }

    functions::GeoPoint hospital{40.0, -83.02};
    int providers = 0;
    for (const Record& p : All(storage, cat::tbl::kProviderEntities)) {
        if (hospitals.count(p.seq)) continue;
        ++providers;
        const std::string name = Get(p, cat::providers::kName);
        EXPECT_TRUE(zips.count(Get(p, cat::providers::kZip))) << name;
        double lat = ToFloatDef(Get(p, schema::provider_position::kLatitude), 1000);
        double lon = ToFloatDef(Get(p, schema::provider_position::kLongitude), 1000);
        EXPECT_LT(functions::MilesBetween(hospital, {lat, lon}), 65.0) << name;
        EXPECT_GT(categoryLinks[p.seq], 0) << name;
        EXPECT_GT(insuranceLinks[p.seq], 0) << name;
    }
    EXPECT_GE(providers, 200);
    EXPECT_EQ(servedCategories.size(), 82u);  // any need can be matched
    EXPECT_GE(storage.Count(cat::tbl::kPreferredProviders, {}), 10);
}

TEST(DemoHospital, CasesNeedsAndQuotesInEveryState) {
    Storage& storage = *SharedDemoFolder().storage;
    auto cases = All(storage, cat::tbl::kCases);
    int open = 0, closed = 0, requested = 0, approved = 0, late = 0;
    for (const Record& c : cases) {
        (Get(c, cat::cases::kClosed) == "Y" ? closed : open)++;
        requested += Get(c, cat::cases::kApprovalRequested) == "Y";
        approved += Get(c, cat::cases::kApproved) == "Y";
        const std::string discharge = Get(c, cat::cases::kDischarge);
        const std::string lateAfter = Get(c, cat::cases::kLateAfter);
        late += !lateAfter.empty() && discharge > lateAfter;
    }
    EXPECT_EQ(open, 25);
    EXPECT_EQ(closed, 60);
    EXPECT_GT(requested, approved);
    EXPECT_GT(approved, 0);
    EXPECT_GT(late, 0);

    // Every need state the discharge view colours, each with sound links.
    auto needs = BySeq(All(storage, cat::tbl::kCaseNeeds));
    std::map<std::int64_t, std::map<std::string, std::string>> quotesOf;  // need -> quote seq -> status
    std::set<std::string> statuses;
    for (const Record& q : All(storage, cat::tbl::kCaseNeedsQuote)) {
        const std::string status = Get(q, cat::quotes::kStatus), reason = Get(q, cat::quotes::kRejectReason);
        statuses.insert(status);
        EXPECT_TRUE(status == "R" ? reason.size() == 1 && reason >= "1" && reason <= "8" : reason.empty()) << q.seq;
        EXPECT_TRUE(reason != "8" || !Get(q, cat::quotes::kNote).empty()) << "other reason without a note";
        const std::int64_t need = ToIntDef(Get(q, schema::quote_need::kNeed), 0);
        ASSERT_TRUE(needs.count(need)) << q.seq;
        quotesOf[need][std::to_string(q.seq)] = status;
    }
    EXPECT_EQ(statuses, (std::set<std::string>{"A", "R", "W", "X"}));

    int none = 0, allRejected = 0, acceptedNotChosen = 0, awarded = 0, deleted = 0;
    for (const auto& [seq, need] : needs) {
        if (Get(need, cat::case_needs::kDeleted) == "Y") {
            ++deleted;
            continue;
        }
        const auto& quotes = quotesOf[seq];
        const std::string chosen = Get(need, cat::case_needs::kAwardedQuote);
        if (!chosen.empty()) {
            EXPECT_EQ(quotes.count(chosen) ? quotes.at(chosen) : "", "A") << "need " << seq;
        }
        const auto with = [&](const char* status) {
            return std::count_if(quotes.begin(), quotes.end(), [&](const auto& q) { return q.second == status; });
        };
        none += quotes.empty();
        allRejected += !quotes.empty() && with("R") + with("X") == static_cast<long>(quotes.size());
        acceptedNotChosen += with("A") > 0 && chosen.empty();
        awarded += !chosen.empty();
    }
    for (int count : {none, allRejected, acceptedNotChosen, awarded, deleted}) EXPECT_GT(count, 0);
}

TEST(DemoHospital, CaseSubRecordsAreConsistent) {
    Storage& storage = *SharedDemoFolder().storage;
    std::map<std::int64_t, int> primaries;
    for (const Record& link : All(storage, cat::tbl::kCaseDoctorsLink)) {
        primaries[ToIntDef(Get(link, cat::case_doctors::kCase), 0)] += Get(link, cat::case_doctors::kPrimary) == "P";
        auto doctor = storage.Read(cat::tbl::kPersonnel, ToIntDef(Get(link, cat::case_doctors::kDoctor), 0));
        ASSERT_TRUE(doctor);
        EXPECT_EQ(Get(*doctor, cat::personnel::kPhysician), "Y");
    }
    for (const Record& c : All(storage, cat::tbl::kCases)) {
        EXPECT_EQ(primaries[c.seq], 1) << "case " << c.seq;
        EXPECT_TRUE(storage.Read(cat::tbl::kPatients, ToIntDef(Get(c, cat::cases::kPatient), 0))) << c.seq;
    }
    std::map<std::string, std::string> book;
    for (const CodeEntry& e : ReadCodeFile(ReferenceDir() / "icd9cm_v32_diagnoses.txt")) book[e.code] = e.description;
    auto codes = All(storage, cat::tbl::kDiagCodeDetail);
    EXPECT_FALSE(codes.empty());
    for (const Record& code : codes) {
        EXPECT_EQ(Get(code, cat::code_detail::kDescription), book[Get(code, cat::code_detail::kCode)]);
    }
    EXPECT_GT(storage.Count(cat::tbl::kTreatmentCodeDetail, {}), 0);
    EXPECT_GT(storage.Count(cat::tbl::kCaseFamily, {}), 0);
}

// A demo hospital written into storage apart from the shared folder.
void LoadDemo(Storage& storage, int cases = kDemoCases) {
    static const CodeBooks books = ReadCodeBooks(ReferenceDir());
    const auto entries = ProviderCategoryEntries();
    const ProviderCatalogue catalogue = LoadProviderCatalogue(storage, entries);
    LoadDemoHospital(storage, {books, entries, catalogue, ReferenceDir() / "demo" / "hospital_logo.jpg",
                               CivilDate{2024, 6, 11}, 1000, cases});
}

TEST(DemoHospital, SameDataEveryTime) {
    // Two demos hold the same records, apart from the salted password hashes.
    std::vector<std::vector<Record>> runs;
    for (int run = 0; run < 2; ++run) {
        fs::path file = TempPath("determinism_" + std::to_string(run) + ".db");
        {
            SqliteStorage storage(file.string());
            LoadDemo(storage);
            std::vector<Record> records;
            for (const char* table : {cat::tbl::kCases, cat::tbl::kProviderEntities, cat::tbl::kCaseNeedsQuote}) {
                auto rows = All(storage, table);
                records.insert(records.end(), rows.begin(), rows.end());
            }
            runs.push_back(std::move(records));
        }
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    for (std::size_t i = 0; i < runs[0].size(); ++i) {
        EXPECT_EQ(runs[0][i].seq, runs[1][i].seq);
        EXPECT_EQ(runs[0][i].fields, runs[1][i].fields) << "record " << i;
    }
}

TEST(DemoHospital, ALargerDemoKeepsTheProportionsOfOpenCasesAndReturningPatients) {
    SqliteStorage storage(TempPath("larger.db").string());
    LoadDemo(storage, 300);
    const auto cases = All(storage, cat::tbl::kCases);
    ASSERT_EQ(cases.size(), 300u);
    std::set<std::string> patients;
    int open = 0;
    for (const Record& c : cases) {
        open += Get(c, cat::cases::kClosed) != "Y";
        patients.insert(Get(c, cat::cases::kPatient));
    }
    EXPECT_EQ(open, 88);
    EXPECT_EQ(patients.size(), 247u) << "53 closed stays of patients who are in again";
    EXPECT_EQ(All(storage, cat::tbl::kPatients).size(), patients.size());
}

}  // namespace
}  // namespace dalvero::server::test
