// A FunctionServer command with its arguments as text members.

#include <algorithm>
#include <cctype>
#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "function_commands.h"

namespace dalvero::cli {

namespace {

constexpr char kServerCommand[] = "ServerCommand";

int RunCall(CliSession& session, const ParsedArgs& args) {
    std::string command = args.positionals[0];
    // The server knows its commands by their lower-case names.
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::vector<std::string> items = NameValueItems(args.positionals, 1);
    cJsonNode request;
    request.AddMember(kServerCommand, command);
    for (const std::string& item : items) {
        const std::string name = item.substr(0, item.find('='));
        if (SameText(name, kServerCommand)) throw UsageError("the command is named by COMMAND, not by " + name);
        request.AddMember(name, item.substr(name.size() + 1));
    }
    dbServerConnection& fn = session.FunctionServer();
    const bool ok = RunFunctionCommand(fn, request);
    // The reply, even when it reports an error, as strict JSON: the server's
    // own form leaves names and words unquoted, which other tools refuse.
    if (!fn.ReplyText.empty()) std::cout << request.ToStrictJson() << '\n';
    // The connection's own reason (a reply over the limit) tells more than
    // "no reply".
    // A command may change records: a lost answer is told as such.
    if (!ok) FailWithServerError(fn, request.GetString(fncmd::kError), Request::Change);
    return 0;
}

}  // namespace

std::vector<CommandDef> FunctionCommands() {
    return {
        {"call", "COMMAND [NAME=VALUE...]",
         "run a function-server command, print its reply as strict JSON (exit 1 on an \"Error\")",
         1, -1, {}, RunCall},
    };
}

}  // namespace dalvero::cli
