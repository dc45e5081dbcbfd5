// dalvero-cli: records, files and function-server commands from a shell.

#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "help_text.h"
#include "output.h"

namespace {
constexpr int kFailed = 1;
constexpr int kUsage = 2;
}  // namespace

int main(int argc, char** argv) {
    using namespace dalvero::cli;
    try {
        const ParsedArgs args = ParseCommandLine({argv + 1, argv + argc}, AllCommands());
        if (args.help) {
            if (args.command) PrintCommandHelp(std::cout, *args.command);
            else PrintUsage(std::cout, AllCommands());
            return 0;
        }
        CliSession session(args.iniPath, args.timeoutSeconds, args.maxReplyMiB);
        return args.command->run(session, args);
    } catch (const UsageError& e) {
        std::cerr << "dalvero-cli: " << e.what() << "\nTry 'dalvero-cli --help'.\n";
        return kUsage;
    } catch (const std::exception& e) {
        // Failure texts carry the server's words.
        std::cerr << EscapeServerText(e.what()) << '\n';
        return kFailed;
    }
}
