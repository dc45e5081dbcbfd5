#include "fuzz_store.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "init_data_folder.h"

namespace dalvero::fuzz {

namespace {
// Few rounds, so that making the folder and the log-in stay quick.
constexpr int kPasswordIterations = 1000;

std::filesystem::path FolderPath() {
    return std::filesystem::temp_directory_path() / ("dalvero-fuzz-" + std::to_string(getpid()));
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
        for (const server::DemoLogin& user : made.logins) {
            if (user.roles != "Administrator") continue;
            const server::LoginResult result = d.logins->LogIn(user.email, user.password, "127.0.0.1");
            if (!result.ok) throw std::runtime_error("fuzz log-in failed: " + result.error);
            d.session = result.token;
            break;
        }
        return d;
    }();
    return demo;
}

}  // namespace dalvero::fuzz
