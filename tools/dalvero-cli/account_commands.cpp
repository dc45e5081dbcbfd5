// set-password and ping: a person's own password without the command line,
// and a health check that logs no one in.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "cli_session.h"
#include "commands.h"
#include "date_text.h"
#include "record_ops.h"
#include "secret_input.h"
#include "table_catalogue.h"

namespace dalvero::cli {

namespace {

namespace cat = dalvero::catalogue;
// Personnel list 4 is keyed by e-mail.
constexpr int kPersonnelByEmail = 4;

std::string NewPassword(const ParsedArgs& args, const std::string& email) {
    try {
        if (args.Has("--password-file")) return ReadSecretFile(args.Get("--password-file"));
        const std::string password = PromptSecret("New password for " + email + ": ");
        if (PromptSecret("The same again: ") != password) throw CommandFailure("The two passwords differ");
        return password;
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
}

int RunSetPassword(CliSession& session, const ParsedArgs& args) {
    if (args.user.empty()) throw UsageError("set-password needs --user: the person who logs in to set it");
    const std::string email = args.positionals.empty() ? args.user : args.positionals[0];
    const std::string password = NewPassword(args, email);
    if (password.empty()) throw CommandFailure("The new password is empty; nothing was changed");
    dbServerConnection& db = session.DataServer();
    StringList person;
    if (!FindRecord(db, cat::tbl::kPersonnel, kPersonnelByEmail, email, "", person, "", ""))
        FailWithServerError(db, "No account with the e-mail " + email + " that you may see", Request::Read,
                            exit_status::kNotFound);
    const std::string seq = person.size() > 1 ? person[1] : std::string();
    const StringList items({"f" + std::to_string(cat::personnel::kPassword) + "=" + password});
    if (seq.empty() || !UpdateRecord(db, cat::tbl::kPersonnel, seq, items))
        FailWithServerError(db, "The password was not changed", Request::Change);
    std::cout << "Password changed for " << email << ".\n";
    return exit_status::kDone;
}

// "2026-12-07 00:41:05" from the server's day count.
std::string ServerDateText(double days) {
    const double whole = std::floor(days);
    const CivilDate date = FromDaySerial(static_cast<int>(whole));
    const long seconds = std::lround((days - whole) * 86400.0);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02ld:%02ld:%02ld", date.year, date.month, date.day,
                  seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return text;
}

int RunPing(CliSession& session, const ParsedArgs&) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    dbServerConnection& data = session.DataServerOnly();
    const auto answered = Clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(answered - start).count();
    std::cout << "Data server " << data.Host << ":" << data.Port << " is up: version "
              << (data.ServerVersion.empty() ? "unknown" : data.ServerVersion) << ", server time "
              << ServerDateText(data.ServerDate) << ", round trip " << ms << " ms\n";
    dbServerConnection& functions = session.FunctionServerOnly();
    std::cout << "Function server " << functions.Host << ":" << functions.Port << " is up\n";
    return exit_status::kDone;
}

}  // namespace

std::vector<CommandDef> AccountCommands() {
    return {
        {"set-password", "[EMAIL]",
         "set your own password, or (as an administrator) that of EMAIL in your hospital; the new password is "
         "asked for twice on the terminal",
         0, 1,
         {{"--password-file", "FILE", "read the new password from the first line of FILE (\"-\": standard input)"}},
         RunSetPassword},
        {"ping", "",
         "check that both servers answer, without logging in: the data server's version, time and the round trip "
         "(exit 0 up, 7 unreachable)",
         0, 0, {}, RunPing},
    };
}

}  // namespace dalvero::cli
