#include "fuzz_store.h"

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "init_data_folder.h"
#include "table_catalogue.h"

namespace dalvero::fuzz {

namespace {
// Few rounds, so that making the folder and the log-ins stay quick.
constexpr int kPasswordIterations = 1000;
constexpr char kAddress[] = "127.0.0.1";

namespace tbl = catalogue::tbl;

std::filesystem::path FolderPath() {
    return std::filesystem::temp_directory_path() / ("dalvero-fuzz-" + std::to_string(getpid()));
}

std::string RandomSecret() {
    std::random_device random;
    std::string secret;
    for (int i = 0; i < 32; ++i) secret += "0123456789abcdef"[random() % 16];
    return secret;
}

// The record keeping fields (2-4, 6-8) change with every write; the deleted
// mark (5), the hospital (9) and the person's own fields are who they are.
server::FieldValues Identity(const server::FieldValues& fields) {
    server::FieldValues identity;
    for (const auto& [field, value] : fields)
        if (field == 5 || field >= 9) identity.emplace(field, value);
    return identity;
}

Actor ActorFor(DemoServer& d, const server::DemoLogin& login) {
    const server::LoginResult result = d.logins->LogIn(login.email, login.password, kAddress);
    if (!result.ok) throw std::runtime_error("fuzz log-in failed: " + result.error);
    const std::optional<server::Record> person = d.storage->Read(tbl::kPersonnel, result.person.seq);
    if (!person) throw std::runtime_error("fuzz log-in without a person");
    return {person->seq, Identity(person->fields), result.token};
}

// A second hospital with a planner, a patient, an open case and a need.
void AddRival(server::Storage& storage, const std::string& secret) {
    auto add = [&](const char* table, server::FieldValues values) {
        return std::to_string(storage.Add(table, values));
    };
    storage.InTransaction([&] {
        const std::string hospital = add(tbl::kProviderEntities, {{10, "Rival General"}, {14, "CA"}, {15, "90001"}});
        const std::string planner = add(tbl::kPersonnel, {{9, hospital}, {11, "Rita"}, {13, "Rival"},
                                                          {22, "rita@rival.test"}, {25, "Y"}});
        const std::string patient = add(tbl::kPatients, {{10, "Ria"}, {12, "Rival"}, {13, "987650123"},
                                                         {14, "19700101"}, {15, secret}});
        const std::string theCase = add(tbl::kCases, {{10, patient}, {11, hospital}, {12, "20240101"},
                                                      {22, secret}, {23, planner}, {1001, secret}});
        add(tbl::kCaseNeeds, {{10, theCase}, {14, "20240102"}, {15, secret}});
    });
}
}  // namespace

DemoServer& Demo() {
    static DemoServer demo = [] {
        const auto dir = FolderPath();
        std::filesystem::remove_all(dir);
        server::InitOptions options;
        options.demo = true;
        options.referenceDir = DALVERO_SOURCE_DATA_DIR;
        options.passwordIterations = kPasswordIterations;
        const server::InitResult made = server::InitDataFolder(dir, options);
        // The folder outlives the process only if it crashes, for the record.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(FolderPath(), ignored);
        });
        DemoServer d;
        d.config = made.config;
        d.config.security.passwordIterations = kPasswordIterations;
        d.storage = std::make_unique<server::SqliteStorage>(d.config.databaseFile.string());
        d.logins = std::make_unique<server::LoginService>(*d.storage, d.config.security);
        d.trail = std::make_unique<server::AuditWriter>(*d.storage, [] { return std::time(nullptr); });
        d.sessions = std::make_unique<server::SessionStore>(*d.storage, d.config.security.sessionIdleMinutes,
                                                            d.config.security.sessionMaxHours);
        d.rivalSecret = RandomSecret();
        AddRival(*d.storage, d.rivalSecret);
        for (const server::DemoLogin& user : made.logins) {
            if (user.roles == "Administrator" && d.administrator.person == 0) d.administrator = ActorFor(d, user);
            if (user.roles == "Discharge Planner" && d.planner.person == 0) d.planner = ActorFor(d, user);
        }
        if (d.administrator.person == 0 || d.planner.person == 0)
            throw std::runtime_error("the demo has no administrator or no planner");
        return d;
    }();
    return demo;
}

const std::string& LiveSession(Actor& actor) {
    DemoServer& demo = Demo();
    const std::optional<server::Record> now = demo.storage->Read(tbl::kPersonnel, actor.person);
    if (!now) {
        actor.person = demo.storage->Add(tbl::kPersonnel, actor.fields);
        actor.session.clear();
    } else if (const server::FieldValues identity = Identity(now->fields); identity != actor.fields) {
        server::FieldValues restore = actor.fields;
        for (const auto& [field, value] : identity) restore.emplace(field, "");  // clears what the input added
        demo.storage->Update(tbl::kPersonnel, actor.person, restore);
    }
    if (actor.session.empty() || !demo.logins->Resume(actor.session))
        actor.session = demo.sessions->Open(actor.person, kAddress, demo.logins->Now());
    return actor.session;
}

__attribute__((no_sanitize("coverage"))) bool ShowsRivalSecret(std::string_view text) {
    const std::string& secret = Demo().rivalSecret;
    for (std::size_t at = 0; at + secret.size() <= text.size(); ++at) {
        std::size_t same = 0;
        while (same < secret.size() && text[at + same] == secret[same]) ++same;
        if (same == secret.size()) return true;
    }
    return false;
}

}  // namespace dalvero::fuzz
