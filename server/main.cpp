// dalvero-server: makes a data folder (init) and serves it (run).

#include <signal.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "audit_anchor.h"
#include "audit_trail.h"
#include "init_data_folder.h"
#include "net_start.h"
#include "server_instance.h"
#include "server_log.h"
#include "sqlite_storage.h"

namespace fs = std::filesystem;
using namespace dalvero::server;

namespace {

const char kUsage[] =
    "Usage:\n"
    "  dalvero-server init DIR [--demo [--cases N]] [--host NAME] [--data REFDIR]\n"
    "      Make a new data folder DIR: the database with the ICD-9-CM code books\n"
    "      and ZIP centroids, a private CA and a server certificate for NAME\n"
    "      (default localhost), server.ini and a ready Dalvero.ini for clients.\n"
    "      --demo loads a demo hospital and prints its log-ins once; --cases\n"
    "      gives it N cases instead of 85 (about 3 in 10 open).\n"
    "      --data names the folder of the shipped reference files.\n"
    "  dalvero-server run DIR\n"
    "      Serve DIR: the DataServer and the FunctionServer (both TLS) on the\n"
    "      addresses and ports of DIR/server.ini, until SIGINT or SIGTERM.\n"
    "  dalvero-server verify-audit DIR\n"
    "      Check the audit trail of DIR: every row's hash and its link to the row\n"
    "      before, that no row is missing (also at the end, or all of them), and\n"
    "      the anchored hashes of DIR/audit-anchors. Exit status 0 when intact,\n"
    "      1 when a row was edited or removed.\n"
    "  dalvero-server --help\n";

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

int Init(const std::vector<std::string>& args) {
    InitOptions options;
    options.referenceDir = DefaultReferenceDir();
    fs::path dir;
    bool casesGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--demo") {
            options.demo = true;
        } else if (a == "--cases" && i + 1 < args.size()) {
            const std::string& count = args[++i];
            const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), options.demoCases);
            if (error != std::errc() || end != count.data() + count.size() || options.demoCases < 1 ||
                options.demoCases > kMaxDemoCases) {
                std::cerr << "dalvero-server init: --cases takes a number from 1 to " << kMaxDemoCases << "\n";
                return 2;
            }
            casesGiven = true;
        } else if (a == "--host" && i + 1 < args.size()) {
            options.host = args[++i];
        } else if (a == "--data" && i + 1 < args.size()) {
            options.referenceDir = args[++i];
        } else if (!a.empty() && a[0] != '-' && dir.empty()) {
            dir = a;
        } else {
            std::cerr << "dalvero-server init: unexpected argument '" << a << "'\n" << kUsage;
            return 2;
        }
    }
    if (dir.empty()) {
        std::cerr << "dalvero-server init: no data folder given\n" << kUsage;
        return 2;
    }
    if (casesGiven && !options.demo) {
        std::cerr << "dalvero-server init: --cases is for the demo hospital (--demo)\n";
        return 2;
    }
    const InitResult result = InitDataFolder(dir, options);
    std::cout << "Data folder " << fs::absolute(dir).string() << " is ready: " << result.diagnoses
              << " diagnosis codes, " << result.procedures << " procedure codes, " << result.zips
              << " ZIP centroids.\n"
              << "Client configuration: " << result.clientIni.string() << "\n";
    if (!result.logins.empty()) std::cout << FormatLogins(result.logins);
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << kUsage;
        return 2;
    }
    // Signals are taken by sigwait below, not by whichever thread they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    dalvero::StartTls();

    ServerInstance server(args[0]);
    Log("serving " + fs::absolute(args[0]).string());
    int signal = 0;
    sigwait(&stopSignals, &signal);
    Log(std::string("stopping on ") + strsignal(signal));
    server.Stop();
    return 0;
}

int VerifyAudit(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << kUsage;
        return 2;
    }
    const ServerConfig config = LoadServerConfig(args[0]);
    SqliteStorage storage(config.databaseFile.string());
    // A folder from before anchors has no key yet; its chain is checked alone.
    std::optional<AuditAnchor> anchor;
    if (std::filesystem::exists(AuditKeyFile(config)))
        anchor.emplace(AuditKeyFile(config), AuditAnchorFile(config));
    else
        std::cout << "No audit key: the trail is not checked against its anchors.\n";
    const AuditCheck check = VerifyAuditTrail(storage, anchor ? &*anchor : nullptr);
    if (check.intact) {
        std::cout << "Audit trail intact: " << check.rows << " rows.\n";
        return 0;
    }
    std::cout << "Audit trail broken at row " << check.firstBad << ": " << check.problem << ".\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Keys, the database and mail are created private; nothing the server
    // makes is for other local users.
    ::umask(077);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "init") return Init(args);
        if (command == "run") return Run(args);
        if (command == "verify-audit") return VerifyAudit(args);
    } catch (const std::exception& e) {
        std::cerr << "dalvero-server " << command << ": " << e.what() << '\n';
        return 1;
    }
    std::cerr << "dalvero-server: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
