// Work under one log-in and one connection: records read back from the
// tool's own tab-separated output, and a batch of commands.

#include <fstream>
#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "line_runner.h"
#include "output.h"

namespace dalvero::cli {

namespace {

constexpr char kKeepGoing[] = "--keep-going";
const OptionDef kKeepGoingOption{kKeepGoing, nullptr, "run the remaining lines after a failure (default: stop)"};

// A raw carriage return never ends a line the tool wrote (it prints as \r),
// so one before the line feed is a CR LF file's and is dropped.
std::vector<std::string> SplitTabs(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> items;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        items.push_back(line.substr(from, tab - from));
    items.push_back(line.substr(from));
    return items;
}

// Own fields only: a joined column ("P12") belongs to another table, and f1
// is the Seq, which the server hands out.
bool IsOwnField(const std::string& name) {
    return name.size() > 1 && (name[0] == 'f' || name[0] == 'F') && name != "f1" && name != "F1" &&
           name.find_first_not_of("0123456789", 1) == std::string::npos;
}

// The "fN=value" items of one line under the header; the Seq column is
// skipped, as each record is added anew.
StringList ImportItems(const std::vector<std::string>& header, const std::string& line) {
    const std::vector<std::string> values = SplitTabs(line);
    if (values.size() != header.size())
        throw CommandFailure(std::to_string(values.size()) + " values under a header of " +
                             std::to_string(header.size()));
    StringList items;
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == "Seq") continue;
        const std::optional<std::string> value = UnescapeField(values[i]);
        if (!value) throw CommandFailure("the value of " + header[i] + " holds a backslash that is no escape");
        items.push_back(header[i] + "=" + *value);
    }
    return items;
}

int RunImport(CliSession& session, const ParsedArgs& args) {
    const std::string& table = args.positionals[0];
    const bool fromFile = args.positionals.size() > 1 && args.positionals[1] != "-";
    std::ifstream file;
    if (fromFile) {
        file.open(args.positionals[1], std::ios::binary);
        if (!file) throw CommandFailure("Cannot read " + args.positionals[1], exit_status::kNotFound);
    }
    std::istream& in = fromFile ? static_cast<std::istream&>(file) : std::cin;
    std::string line;
    if (!std::getline(in, line)) throw CommandFailure("The input holds no header line");
    const std::vector<std::string> header = SplitTabs(line);
    for (const std::string& name : header)
        if (name != "Seq" && !IsOwnField(name))
            throw CommandFailure("Column " + EscapeField(name) + " is no own field of " + table +
                                 "; import takes Seq and f2, f3, ... columns");
    if (header.size() < 2 && header[0] == "Seq") throw CommandFailure("The header names no field");

    LineRunner runner(args.Has(kKeepGoing));
    // Line numbers as an editor shows them: the header is line 1.
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty() || line == "\r") continue;
        const auto add = [&] { std::cout << AddRecordItems(session, table, ImportItems(header, line)) << '\n'; };
        if (!runner.Run(number, add)) break;
    }
    runner.PrintSummary(std::cerr, "import");
    return runner.Status();
}

// One command of a batch, parsed as on the command line. The batch's own
// options (the log-in, the configuration) hold for every line, so a command
// sees them as if given to it.
void RunBatchLine(CliSession& session, const ParsedArgs& batch, const std::vector<std::string>& words) {
    ParsedArgs args = ParseCommandLine(words, AllCommands());
    const ParsedArgs defaults;
    if (args.help || args.version || !args.iniPath.empty() || !args.user.empty() || !args.passwordFile.empty() ||
        args.timeoutSeconds != defaults.timeoutSeconds || args.maxReplyMiB != defaults.maxReplyMiB)
        throw UsageError("give the connection and log-in options to batch itself, not to one of its lines");
    args.iniPath = batch.iniPath;
    args.user = batch.user;
    args.passwordFile = batch.passwordFile;
    args.timeoutSeconds = batch.timeoutSeconds;
    args.maxReplyMiB = batch.maxReplyMiB;
    if (std::string_view(args.command->name) == "batch") throw UsageError("a batch cannot hold a batch");
    // Standard input is the batch.
    if (std::string_view(args.command->name) == "import" && (args.positionals.size() < 2 || args.positionals[1] == "-"))
        throw UsageError("in a batch, import reads a FILE");
    const int status = args.command->run(session, args);
    if (status != exit_status::kDone) throw CommandFailure(std::string(args.command->name) + " failed", status);
}

int RunBatch(CliSession& session, const ParsedArgs& args) {
    LineRunner runner(args.Has(kKeepGoing));
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        if (!runner.Run(number, [&] { RunBatchLine(session, args, SplitCommandLine(line)); })) break;
    }
    runner.PrintSummary(std::cerr, "batch");
    return runner.Status();
}

}  // namespace

std::vector<CommandDef> BulkCommands() {
    return {
        {"import", "TABLE [FILE]",
         "add a record per line of the tool's own tab-separated output (header first, escapes decoded, the Seq "
         "column skipped), from FILE or standard input; prints each new Seq",
         1, 2, {kKeepGoingOption}, RunImport},
        {"batch", "",
         "run commands from standard input, one per line as on the command line (quoted as in a shell; # starts a "
         "comment), under one log-in and one connection",
         0, 0, {kKeepGoingOption}, RunBatch},
    };
}

}  // namespace dalvero::cli
