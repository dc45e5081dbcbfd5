#pragma once
// The command line of dalvero-cli: global options, a command word, that
// command's options and its positional arguments. Every command declares
// what it accepts, so parsing, checking and --help come from one table.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db_server_connection.h"

namespace dalvero::cli {

// A command line that cannot be run as written; exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionDef {
    const char* name;   // "--key"
    const char* value;  // placeholder for its value ("K"); nullptr for a flag
    const char* help;
};

class CliSession;
struct ParsedArgs;

struct CommandDef {
    const char* name;
    const char* synopsis;  // the arguments after the name, as --help shows them
    const char* summary;
    int minArgs;
    int maxArgs;  // -1: any number
    std::vector<OptionDef> options;
    int (*run)(CliSession& session, const ParsedArgs& args);
};

struct ParsedArgs {
    std::string iniPath;  // empty: look for Dalvero.ini
    int timeoutSeconds = dbServerConnection::kDefaultTimeout;
    int maxReplyMiB = static_cast<int>(dbServerConnection::kDefaultMaxReplySize >> 20);
    std::string user;          // log in as this e-mail; empty: no log-in
    std::string passwordFile;  // the password's first line; else DALVERO_PASSWORD or a prompt
    bool help = false;
    bool version = false;
    const CommandDef* command = nullptr;  // null when only --help was asked
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> options;  // flags hold ""

    bool Has(std::string_view option) const { return options.find(option) != options.end(); }
    std::string Get(std::string_view option, std::string_view fallback = {}) const;
};

// --ini, --timeout, --max-reply, --user, --password-file, --help and --version, accepted
// by every command. After the command word a command's own option of the same
// name wins (audit --user filters by a person).
const std::vector<OptionDef>& GlobalOptions();

// Global options stand before or after the command word; "--" ends the
// options, so later arguments may start with "--". Throws UsageError.
ParsedArgs ParseCommandLine(const std::vector<std::string>& args, const std::vector<CommandDef>& commands);

// The words of one line of a batch, split as a shell splits a simple command:
// at blanks, with '...' taken as written, "..." with \" and \\ inside it, and
// a backslash outside quotes keeping the next character. Throws UsageError
// for an unclosed quote.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Checked readings of arguments; each throws UsageError naming what.
int WholeNumber(std::string_view text, std::string_view what, int minimum);
// A Seq as requests carry it: a positive whole number, kept as typed.
std::string SeqArgument(std::string_view text);
// "fN=value" and "name=value" items: a name before the first "=".
std::vector<std::string> NameValueItems(const std::vector<std::string>& items, std::size_t from);

}  // namespace dalvero::cli
