#pragma once
// The commands of the dalvero-server executable, one function each: the
// arguments after the command word in, the exit status out. Each prints its
// own help for "--help" and throws std::exception for a failure to report.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dalvero::server {
struct AuditCheck;
struct AuditTip;
}  // namespace dalvero::server

namespace dalvero::server::commands {

// Exit statuses every command shares; documented in docs/operations.md.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
// verify-audit: the trail was changed; status: no server runs on the folder.
inline constexpr int kTamperedOrNotRunning = 3;

using Args = std::vector<std::string>;

// init, add-admin, reset-password.
int Init(const Args& args);
int AddAdmin(const Args& args);
int ResetPassword(const Args& args);
// run, status.
int Run(const Args& args);
int Status(const Args& args);
// verify-audit.
int VerifyAudit(const Args& args);
// backup, restore.
int Backup(const Args& args);
int Restore(const Args& args);

// Prints the outcome of an audit trail check as verify-audit does, with the
// newest row checked; kDone when the trail is intact, else
// kTamperedOrNotRunning.
int ReportAuditCheck(const AuditCheck& check, const AuditTip& newest);
// migrate.
int Migrate(const Args& args);

// A command's arguments: positionals in order, options by name ("" for flags).
struct Parsed {
    std::vector<std::string> positionals;
    std::map<std::string, std::string> options;

    bool Has(const std::string& option) const { return options.count(option) > 0; }
    std::string Get(const std::string& option) const { return Has(option) ? options.at(option) : std::string(); }
};

struct Syntax {
    const char* help;  // the command's usage and summary, as --help prints it
    std::set<std::string> valued;  // options that take a value
    std::set<std::string> flags;
    std::size_t minPositionals;
    std::size_t maxPositionals;
};

// The parsed arguments; none when args ask for help (printed on stdout,
// `status` kDone) or break the syntax (the fault and help on stderr, kUsage).
std::optional<Parsed> ParseOrExplain(const Args& args, const Syntax& syntax, int& status);

}  // namespace dalvero::server::commands
