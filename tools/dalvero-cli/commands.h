#pragma once
// Every command of dalvero-cli, gathered from the files that run them.

#include <vector>

#include "cli_args.h"

namespace dalvero::cli {

// query, read, find, add, update, delete.
std::vector<CommandDef> RecordCommands();
// get-file, file-info, get-record-file, put-record-file.
std::vector<CommandDef> FileCommands();
// call.
std::vector<CommandDef> FunctionCommands();

const std::vector<CommandDef>& AllCommands();

}  // namespace dalvero::cli
