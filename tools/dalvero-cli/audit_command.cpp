// The audit trail for the privacy officer: who read or changed a patient's
// data, or what one person did, within a span of days.

#include <algorithm>
#include <cctype>

#include "cli_session.h"
#include "commands.h"
#include "date_text.h"

namespace dalvero::cli {

namespace {

constexpr char kAuditTable[] = "AuditTrail";
constexpr char kAuditFields[] = "f10,f11,f12,f13,f14,f15,f16,f17,f22,f19";
// The columns of kAuditFields, named for the reader. A read's row names every
// record read ("3-7,12") and, when they concern several, the patients.
const std::vector<std::string> kAuditColumns{"time",  "person", "e-mail",  "address",  "action",
                                             "table", "record", "patient", "patients", "detail"};
constexpr char kByPatient[] = "L2";
constexpr char kByEmail[] = "L3";
constexpr char kAll[] = "L1";

// "yyyymmdd" or "yyyy-mm-dd" as the trail's stamp of that day's start.
std::string DayStamp(std::string text, const char* what) {
    std::erase(text, '-');
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }) ||
        !ParseYmd(text))
        throw UsageError(std::string(what) + " must be a date as yyyymmdd or yyyy-mm-dd, not '" + text + "'");
    return text;
}

int RunAudit(CliSession& session, const ParsedArgs& args) {
    if (args.Has("--patient") && args.Has("--user")) throw UsageError("give --patient or --user, not both");
    // After the command word --user names whose actions to list; a reader
    // who meant it as the log-in learns why the server wants one.
    if (args.user.empty() && args.Has("--user"))
        throw CommandFailure("Log in first: after 'audit', --user " + args.Get("--user") +
                                 " only chooses whose actions to list; log in with --user EMAIL before 'audit' "
                                 "(dalvero-cli --user ADMIN audit --user " + args.Get("--user") + ")",
                             exit_status::kLoginRefused);
    ParsedArgs query;
    query.positionals = {kAuditTable, kAll};
    if (args.Has("--patient")) {
        query.positionals[1] = kByPatient;
        query.options["--key"] = SeqArgument(args.Get("--patient"));
    } else if (args.Has("--user")) {
        query.positionals[1] = kByEmail;
        query.options["--key"] = args.Get("--user");
    }
    std::string filter;
    if (args.Has("--from")) filter = "f10>=" + DayStamp(args.Get("--from"), "--from") + "000000";
    // Past the day's last second with any UTC offset after it.
    if (args.Has("--to")) filter += (filter.empty() ? "" : ",") + ("f10<=" + DayStamp(args.Get("--to"), "--to") + "235960");
    if (!filter.empty()) query.options["--filter"] = filter;
    query.options["--fields"] = kAuditFields;
    if (args.Has("--format")) query.options["--format"] = args.Get("--format");
    return RunQuery(session, query, kAuditColumns);
}

}  // namespace

std::vector<CommandDef> AuditCommands() {
    return {
        {"audit", "[--patient SEQ | --user EMAIL] [--from DATE] [--to DATE]",
         "print the audit trail of your hospital (administrators): time, person, e-mail, address, action, table, "
         "record, patient, patients, detail",
         0, 0,
         {{"--patient", "SEQ", "only what concerned this patient"},
          {"--user", "EMAIL", "only what this person did (log in with the global --user before the command word)"},
          {"--from", "DATE", "from this day on (yyyymmdd)"},
          {"--to", "DATE", "up to and including this day"},
          FormatOption()},
         RunAudit},
    };
}

}  // namespace dalvero::cli
