#include <iostream>

#include "server_commands.h"

namespace dalvero::server::commands {

std::optional<Parsed> ParseOrExplain(const Args& args, const Syntax& syntax, int& status) {
    Parsed parsed;
    std::string fault;
    for (std::size_t i = 0; i < args.size() && fault.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << syntax.help;
            status = kDone;
            return std::nullopt;
        }
        if (syntax.flags.count(a)) {
            parsed.options[a];
        } else if (syntax.valued.count(a)) {
            if (i + 1 < args.size()) parsed.options[a] = args[++i];
            else fault = a + " needs a value";
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            fault = "unknown option '" + a + "'";
        } else {
            parsed.positionals.push_back(a);
        }
    }
    if (fault.empty() && parsed.positionals.size() < syntax.minPositionals) fault = "missing arguments";
    if (fault.empty() && parsed.positionals.size() > syntax.maxPositionals)
        fault = "unexpected argument '" + parsed.positionals[syntax.maxPositionals] + "'";
    if (fault.empty()) return parsed;
    std::cerr << "dalvero-server: " << fault << "\n" << syntax.help;
    status = kUsage;
    return std::nullopt;
}

}  // namespace dalvero::server::commands
