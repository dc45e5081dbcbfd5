#pragma once
// --help for the tool and for each command, made from the command table.

#include <ostream>
#include <vector>

#include "cli_args.h"

namespace dalvero::cli {

void PrintUsage(std::ostream& out, const std::vector<CommandDef>& commands);
void PrintCommandHelp(std::ostream& out, const CommandDef& command);

}  // namespace dalvero::cli
