// run and status: serving a folder, and telling whether it is served.

#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <thread>

#include "data_folder_lock.h"
#include "net_start.h"
#include "server_commands.h"
#include "server_instance.h"
#include "server_log.h"
#include "session_store.h"

namespace fs = std::filesystem;

namespace dalvero::server::commands {

namespace {

const char kRunHelp[] =
    "Usage: dalvero-server run DIR\n"
    "Serve DIR: the DataServer and the FunctionServer (both TLS) on the addresses\n"
    "and ports of DIR/server.ini, until SIGINT or SIGTERM, which stop it cleanly.\n"
    "SIGHUP is ignored (the log is standard error, which the service manager\n"
    "keeps). One server per folder: a second one on the same folder is refused\n"
    "with the process that holds it. The log goes to standard error; see\n"
    "docs/operations.md for its form.\n";

const char kStatusHelp[] =
    "Usage: dalvero-server status DIR\n"
    "Whether a server runs on DIR: its process, ports, open connections and\n"
    "log-in sessions. Exit status 0 when one runs, 3 when none does.\n";

// How often the status kept for `status` is brought up to date.
constexpr int kStatusSeconds = 5;

std::string Address(const ListenAddress& listen, int port) { return listen.bind + ":" + std::to_string(port); }

// The HL7 listener is named only when it runs.
std::string Hl7Address(const ServerInstance& server) {
    const Hl7Config& hl7 = server.Config().hl7;
    if (!hl7.enabled) return {};
    return ", HL7 " + Address(hl7.listen, server.Hl7Port()) + (hl7.tls ? " (TLS)" : " (plain TCP)");
}

std::string Settings(const ServerInstance& server) {
    const ServerConfig& c = server.Config();
    return "DataServer " + Address(c.dataServer, server.DataPort()) + ", FunctionServer " +
           Address(c.functionServer, server.FunctionPort()) + Hl7Address(server) + ", database " +
           DescribeStorage(c.storage) +
           ", certificate " + c.certificateFile.string() + ", mail " +
           (c.mail.relay.empty() ? "to " + c.mail.outboxDir.string() : "through " + c.mail.relay) + ", up to " +
           std::to_string(c.connections.maxConnections) + " connections, " + std::to_string(c.connections.workers) +
           " workers, sessions idle " + std::to_string(c.security.sessionIdleMinutes) + " min";
}

std::string StatusText(const ServerInstance& server) {
    const ServerConfig& c = server.Config();
    return "process: " + std::to_string(::getpid()) + "\nversion: " DALVERO_VERSION "\nDataServer: " +
           Address(c.dataServer, server.DataPort()) + "\nFunctionServer: " +
           Address(c.functionServer, server.FunctionPort()) +
           "\nconnections: " + std::to_string(server.OpenConnections()) + "\n";
}

}  // namespace

int Run(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kRunHelp, {}, {}, 1, 1}, status);
    if (!parsed) return status;
    const fs::path dir = parsed->positionals[0];
    // Signals are taken by sigtimedwait below, not by whichever thread they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A closed terminal or a service manager's reload must not end the
    // server without its clean stop; there is no file of ours to reopen.
    ::signal(SIGHUP, SIG_IGN);
    // Left alone, glibc gives each of the many worker threads an allocator
    // arena of its own (up to eight per core), and each keeps what its
    // largest reply freed: a warm server held tens of megabytes that way.
    // Four per core is enough for the threads that allocate all the time
    // (each port's event loops, the write queue, the audit writer) to get
    // one each, so they do not queue on each other's arena lock at every
    // allocation; the workers share the rest.
    ::mallopt(M_ARENA_MAX, static_cast<int>(4 * std::max(1u, std::thread::hardware_concurrency())));
    dalvero::StartTls();

    LoadServerConfig(dir);  // a folder that is no data folder is told as such, before any lock file is made
    DataFolderLock lock(fs::absolute(dir));
    ServerInstance server(dir);
    Log(Severity::Notice, "dalvero-server " DALVERO_VERSION " serving " + fs::absolute(dir).string() + ": " +
                              Settings(server));
    int signal = 0;
    for (;;) {
        lock.WriteStatus(StatusText(server));
        const timespec wait{kStatusSeconds, 0};
        signal = sigtimedwait(&stopSignals, nullptr, &wait);
        if (signal > 0) break;
        // What large lists and file transfers freed goes back to the system
        // instead of staying resident while the server idles.
        ::malloc_trim(0);
    }
    Log(Severity::Notice, std::string("stopping on ") + strsignal(signal));
    server.Stop();
    Log(Severity::Notice, "stopped");
    return kDone;
}

int Status(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kStatusHelp, {}, {}, 1, 1}, status);
    if (!parsed) return status;
    const fs::path dir = fs::absolute(parsed->positionals[0]);
    const ServerConfig config = LoadServerConfig(dir);
    const std::optional<RunningServer> running = FindRunningServer(dir);
    if (!running) {
        std::cout << "No server is running on " << dir.string() << ".\n";
        return kTamperedOrNotRunning;
    }
    // The folder is locked before the store is opened and the ports bound;
    // until the first status is written the server does not serve yet.
    if (running->status.empty()) {
        std::cout << "A server is starting on " << dir.string() << " (process " << running->pid << ").\n";
        return kTamperedOrNotRunning;
    }
    const std::unique_ptr<SqlStorage> storage = OpenStorage(config.storage);
    SessionStore sessions(*storage, config.security.sessionIdleMinutes, config.security.sessionMaxHours);
    std::cout << "A server is running on " << dir.string() << ".\n"
              << running->status << "sessions: " << sessions.CountOpen(std::time(nullptr)) << "\n";
    return kDone;
}

}  // namespace dalvero::server::commands
