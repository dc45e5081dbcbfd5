#include "help_text.h"

#include <string>

namespace dalvero::cli {

namespace {

constexpr std::size_t kHelpColumn = 28;

void PrintOptions(std::ostream& out, const std::vector<OptionDef>& options, const std::string& indent) {
    for (const OptionDef& option : options) {
        std::string left = indent + option.name;
        if (option.value) left += std::string(" ") + option.value;
        out << left << std::string(left.size() < kHelpColumn ? kHelpColumn - left.size() : 1, ' ') << option.help
            << '\n';
    }
}

}  // namespace

void PrintUsage(std::ostream& out, const std::vector<CommandDef>& commands) {
    out << "Usage: dalvero-cli [--ini PATH] [--timeout SECONDS] [--user EMAIL] COMMAND ARGUMENTS...\n"
           "A command-line client of the Dalvero DataServer and FunctionServer, as named in\n"
           "Dalvero.ini ([DataServer] IP, Port, CAFile; [FunctionServer] IP, Port, CAFile).\n"
           "The servers answer only people who log in: give --user.\n\n"
           "Commands:\n";
    for (const CommandDef& command : commands) {
        out << "  " << command.name << ' ' << command.synopsis << '\n' << "      " << command.summary << '\n';
        PrintOptions(out, command.options, "      ");
    }
    out << "\nOptions of every command:\n";
    PrintOptions(out, GlobalOptions(), "  ");
    out << "\nRecords print as tab-separated lines under a header line (Seq, then the field\n"
           "names); a backslash, tab, line feed or carriage return inside a value prints as\n"
           "\\\\, \\t, \\n or \\r (--format csv or json for other tools). Values given on the\n"
           "command line are sent as typed; fN=@FILE sends the bytes of FILE.\n"
           "Exit status: 0 done, 1 failed, 2 usage error, 3 not found, 4 log-in refused,\n"
           "5 throttled, 6 not allowed, 7 server unreachable, 8 connection lost before the\n"
           "answer (the change may have been made); the reason is on stderr.\n";
}

void PrintCommandHelp(std::ostream& out, const CommandDef& command) {
    out << "Usage: dalvero-cli " << command.name << ' ' << command.synopsis << '\n' << command.summary << '\n';
    if (!command.options.empty()) {
        out << "\nOptions:\n";
        PrintOptions(out, command.options, "  ");
    }
    out << "\nOptions of every command:\n";
    PrintOptions(out, GlobalOptions(), "  ");
}

}  // namespace dalvero::cli
