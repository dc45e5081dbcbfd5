// dalvero-server: makes a data folder (init), serves it (run) and looks after
// it (add-admin, reset-password, status, verify-audit, backup, restore, migrate).

#include <sys/stat.h>

#include <iostream>
#include <string>
#include <vector>

#include "server_commands.h"

using namespace dalvero::server::commands;

namespace {

const char kUsageText[] =
    "Usage:\n"
    "  dalvero-server init DIR [--host NAME] [--hospital NAME --admin EMAIL [--password-file FILE]]\n"
    "                          [--demo [--cases N]] [--data REFDIR] [--storage postgresql --dsn DSN]\n"
    "      Make a new data folder: database, certificates, server.ini, Dalvero.ini;\n"
    "      with --hospital and --admin its hospital and first administrator.\n"
    "  dalvero-server run DIR\n"
    "      Serve DIR until SIGINT or SIGTERM.\n"
    "  dalvero-server status DIR\n"
    "      Whether a server runs on DIR: its process, ports, connections, sessions.\n"
    "  dalvero-server add-admin DIR EMAIL [--hospital SEQ] [--password-file FILE]\n"
    "  dalvero-server reset-password DIR EMAIL [--password-file FILE]\n"
    "      Another administrator, or a new password, without a log-in.\n"
    "  dalvero-server verify-audit DIR [--expect SEQ:HASH]\n"
    "      Check the audit trail's hash chain.\n"
    "  dalvero-server backup DIR FILE\n"
    "      A backup of DIR while its server runs (the audit key is left out).\n"
    "  dalvero-server restore FILE DIR [--audit-key KEYFILE]\n"
    "      Put a backup back into a new folder and check it.\n"
    "  dalvero-server migrate FROM_DIR TO_DIR --dsn DSN [--db-password-file FILE]\n"
    "      Move a folder's SQLite database into PostgreSQL; TO_DIR serves it.\n"
    "  dalvero-server --version | --help | COMMAND --help\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 3 audit trail changed (verify-audit)\n"
    "or no server running (status).\n";

}  // namespace

int main(int argc, char** argv) {
    // Keys, the database and mail are created private; nothing the server
    // makes is for other local users.
    ::umask(077);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsageText;
        return kUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsageText;
        return kDone;
    }
    if (args[0] == "--version") {
        std::cout << "dalvero-server " DALVERO_VERSION "\n";
        return kDone;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "init") return Init(args);
        if (command == "run") return Run(args);
        if (command == "status") return Status(args);
        if (command == "add-admin") return AddAdmin(args);
        if (command == "reset-password") return ResetPassword(args);
        if (command == "verify-audit") return VerifyAudit(args);
        if (command == "backup") return Backup(args);
        if (command == "restore") return Restore(args);
        if (command == "migrate") return Migrate(args);
    } catch (const std::exception& e) {
        std::cerr << "dalvero-server " << command << ": " << e.what() << '\n';
        return kFailed;
    }
    std::cerr << "dalvero-server: unknown command '" << command << "'\n" << kUsageText;
    return kUsage;
}
