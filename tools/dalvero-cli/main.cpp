// dalvero-cli: records, files and function-server commands from a shell.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "help_text.h"
#include "interaction_hooks.h"
#include "output.h"

namespace {

// Output that did not arrive (a full disk, a reader that went away) is a
// failed command, however well the rest went.
int CheckedOutput(int status) {
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout) return status;
    std::cerr << "dalvero-cli: cannot write the output: " << (errno ? std::strerror(errno) : "write failed") << '\n';
    return status ? status : dalvero::cli::exit_status::kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dalvero::cli;
    try {
        const ParsedArgs args = ParseCommandLine({argv + 1, argv + argc}, AllCommands());
        if (args.version) {
            std::cout << "dalvero-cli " DALVERO_VERSION "\n";
            return CheckedOutput(exit_status::kDone);
        }
        if (args.help) {
            if (args.command) PrintCommandHelp(std::cout, *args.command);
            else PrintUsage(std::cout, AllCommands());
            return CheckedOutput(exit_status::kDone);
        }
        // Every failure is told once, with its reason, by the command that met
        // it; the data layer's message boxes are the GUI's.
        dalvero::SetUiHooks({[](const std::string&, const std::string&) {}, {}});
        CliSession session(args.iniPath, args.timeoutSeconds, args.maxReplyMiB, {args.user, args.passwordFile});
        return CheckedOutput(args.command->run(session, args));
    } catch (const UsageError& e) {
        std::cerr << "dalvero-cli: " << e.what() << "\nTry 'dalvero-cli --help'.\n";
        return exit_status::kUsage;
    } catch (const CommandFailure& e) {
        // Failure texts carry the server's words.
        std::cerr << EscapeServerText(e.what()) << '\n';
        return CheckedOutput(e.Status());
    } catch (const std::exception& e) {
        std::cerr << EscapeServerText(e.what()) << '\n';
        return CheckedOutput(exit_status::kFailed);
    }
}
