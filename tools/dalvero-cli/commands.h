#pragma once
// Every command of dalvero-cli, gathered from the files that run them.

#include <string>
#include <vector>

#include "cli_args.h"
#include "output.h"
#include "string_list.h"

namespace dalvero::cli {

// query, read, find, add, update, delete.
std::vector<CommandDef> RecordCommands();
// import, batch.
std::vector<CommandDef> BulkCommands();
// get-file, file-info, get-record-file, put-record-file.
std::vector<CommandDef> FileCommands();
// call.
std::vector<CommandDef> FunctionCommands();
// audit.
std::vector<CommandDef> AuditCommands();
// state-file, late-discharges, nf-call-list, choice-list.
std::vector<CommandDef> ReportCommands();
// fhir-export.
std::vector<CommandDef> InteropCommands();
// set-password, ping.
std::vector<CommandDef> AccountCommands();

// Prints a server list page by page: positionals TABLE and LIST, the query
// command's options; columnNames, when given, head the columns after "Seq"
// instead of the field names.
int RunQuery(CliSession& session, const ParsedArgs& args, const std::vector<std::string>& columnNames);
int RunQuery(CliSession& session, const ParsedArgs& args);

// --format, for every command that prints records, and the format it asks
// for (TSV when none; UsageError for another word).
const OptionDef& FormatOption();
Format OutputFormat(const ParsedArgs& args);

// Adds a record from "fN=value" items, warning on stderr of values that the
// wire format does not give back as written; the new Seq. Throws
// CommandFailure with the server's reason.
std::string AddRecordItems(CliSession& session, const std::string& table, const StringList& items);

const std::vector<CommandDef>& AllCommands();

}  // namespace dalvero::cli
