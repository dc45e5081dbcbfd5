// init, add-admin and reset-password: the commands that make a folder and let
// its operator in without a log-in.

#include <charconv>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "administrators.h"
#include "init_data_folder.h"
#include "secret_input.h"
#include "server_commands.h"

namespace fs = std::filesystem;

namespace dalvero::server::commands {

namespace {

const char kInitHelp[] =
    "Usage: dalvero-server init DIR [--host NAME] [--hospital NAME --admin EMAIL [--password-file FILE]]\n"
    "                           [--demo [--cases N]] [--data REFDIR]\n"
    "Make a new data folder DIR: the database with the ICD-9-CM code books and ZIP\n"
    "centroids, a private CA and a server certificate for NAME (default localhost),\n"
    "server.ini and a ready Dalvero.ini for clients.\n"
    "  --hospital NAME      the hospital this folder serves, with\n"
    "  --admin EMAIL        its first administrator, whose password is asked for\n"
    "                       twice on the terminal, or read from\n"
    "  --password-file FILE its first line (\"-\": standard input; the file must be\n"
    "                       readable by its owner only)\n"
    "  --demo               load a demo hospital and print its log-ins once\n"
    "  --cases N            give the demo N cases instead of 85 (about 3 in 10 open)\n"
    "  --data REFDIR        the folder of the shipped reference files\n"
    "  --storage ENGINE     sqlite (default: a database file in DIR) or postgresql:\n"
    "  --dsn DSN            the empty PostgreSQL database of this libpq connection\n"
    "                       string, its password from PGPASSWORD or PGPASSFILE\n";

const char kAddAdminHelp[] =
    "Usage: dalvero-server add-admin DIR EMAIL [--hospital SEQ] [--password-file FILE]\n"
    "Add an administrator to the hospital SEQ (default: the one hospital with\n"
    "staff), for the day no administrator can log in. The password comes from the\n"
    "terminal (asked twice) or the first line of FILE (\"-\": standard input).\n"
    "Works on the database directly; the audit trail records it as done by\n"
    "dalvero-server from the console.\n";

const char kResetHelp[] =
    "Usage: dalvero-server reset-password DIR EMAIL [--password-file FILE]\n"
    "Give the account of EMAIL a new password, from the terminal (asked twice) or\n"
    "the first line of FILE (\"-\": standard input). A lock of the account after\n"
    "failed log-ins ends with it; a lock of an address when its time has passed.\n"
    "The audit trail records the change.\n";

// A demo bigger than this is no longer a demo: a million cases take hours.
constexpr int kMaxDemoCases = 100'000;

// The reference files: beside an installed executable, else the source tree.
fs::path DefaultReferenceDir() {
    std::error_code ec;
    const fs::path exe = fs::canonical("/proc/self/exe", ec);
    if (!ec) {
        const fs::path installed = exe.parent_path().parent_path() / "share" / "dalvero" / "data";
        if (fs::exists(installed / "zcta_centroids.tsv")) return installed;
    }
    return DALVERO_SOURCE_DATA_DIR;
}

// Never from the command line, where ps and the shell history show it.
std::string NewPassword(const std::string& file, const std::string& email) {
    if (!file.empty()) return ReadSecretFile(file);
    const std::string password = PromptSecret("New password for " + email + ": ");
    if (PromptSecret("The same again: ") != password) throw std::runtime_error("the two passwords differ");
    return password;
}

}  // namespace

int Init(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed =
        ParseOrExplain(args,
                       {kInitHelp,
                        {"--host", "--data", "--hospital", "--admin", "--password-file", "--cases", "--storage", "--dsn"},
                        {"--demo"},
                        1, 1},
                       status);
    if (!parsed) return status;
    InitOptions options;
    options.demo = parsed->Has("--demo");
    if (parsed->Has("--cases")) {
        const std::string count = parsed->Get("--cases");
        const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), options.demoCases);
        if (!options.demo || error != std::errc() || end != count.data() + count.size() || options.demoCases < 1 ||
            options.demoCases > kMaxDemoCases) {
            std::cerr << "dalvero-server init: --cases takes a number from 1 to " << kMaxDemoCases
                      << ", for the demo hospital (--demo)\n";
            return kUsage;
        }
    }
    if (parsed->Has("--host")) options.host = parsed->Get("--host");
    const std::string engine = parsed->Has("--storage") ? parsed->Get("--storage") : "sqlite";
    options.dsn = parsed->Get("--dsn");
    if (engine == "postgresql") options.engine = StorageEngine::Postgresql;
    if ((engine != "sqlite" && engine != "postgresql") || options.dsn.empty() != (engine == "sqlite")) {
        std::cerr << "dalvero-server init: --storage takes sqlite or postgresql; postgresql, and it alone, needs --dsn\n";
        return kUsage;
    }
    options.referenceDir = parsed->Has("--data") ? fs::path(parsed->Get("--data")) : DefaultReferenceDir();
    options.hospital = parsed->Get("--hospital");
    options.admin = parsed->Get("--admin");
    if (options.hospital.empty() != options.admin.empty()) {
        std::cerr << "dalvero-server init: --hospital and --admin go together\n" << kInitHelp;
        return kUsage;
    }
    if (!options.admin.empty()) options.adminPassword = NewPassword(parsed->Get("--password-file"), options.admin);
    const fs::path dir = parsed->positionals[0];
    const InitResult result = InitDataFolder(dir, options);
    std::cout << "Data folder " << fs::absolute(dir).string() << " is ready: " << result.diagnoses
              << " diagnosis codes, " << result.procedures << " procedure codes, " << result.zips
              << " ZIP centroids.\n"
              << "Client configuration: " << result.clientIni.string() << "\n";
    if (!options.admin.empty())
        std::cout << "Hospital \"" << options.hospital << "\" with its administrator " << options.admin << ".\n";
    if (!result.logins.empty()) std::cout << FormatLogins(result.logins);
    return kDone;
}

int AddAdmin(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed =
        ParseOrExplain(args, {kAddAdminHelp, {"--hospital", "--password-file"}, {}, 2, 2}, status);
    if (!parsed) return status;
    const ServerConfig config = LoadServerConfig(parsed->positionals[0]);
    const std::string& email = parsed->positionals[1];
    std::optional<std::string> hospital;
    if (parsed->Has("--hospital")) hospital = parsed->Get("--hospital");
    const std::string password = NewPassword(parsed->Get("--password-file"), email);
    const std::unique_ptr<SqlStorage> storage = OpenStorage(config.storage);
    const std::int64_t seq =
        AddAdministrator(*storage, hospital, email, password, config.security.passwordIterations, std::time(nullptr));
    std::cout << "Administrator " << email << " added (Personnel " << seq << ").\n";
    return kDone;
}

int ResetPassword(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kResetHelp, {"--password-file"}, {}, 2, 2}, status);
    if (!parsed) return status;
    const ServerConfig config = LoadServerConfig(parsed->positionals[0]);
    const std::string& email = parsed->positionals[1];
    const std::string password = NewPassword(parsed->Get("--password-file"), email);
    const std::unique_ptr<SqlStorage> storage = OpenStorage(config.storage);
    dalvero::server::ResetPassword(*storage, email, password, config.security.passwordIterations, std::time(nullptr));
    std::cout << "New password set for " << email << ".\n";
    return kDone;
}

}  // namespace dalvero::server::commands
