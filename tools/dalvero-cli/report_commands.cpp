// The state discharge data file and the two reports, made from the same
// records and into the same bytes as the administration screen makes them,
// so a hospital can produce them from a scheduled job.

#include <QGuiApplication>

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "late_discharge.h"
#include "pdf_print.h"
#include "report_files.h"
#include "report_queries.h"
#include "state_file.h"

namespace dalvero::cli {

namespace {

CivilDate DayArgument(const ParsedArgs& args, const char* option) {
    if (!args.Has(option)) throw UsageError(std::string(option) + " is needed (a date as yyyymmdd)");
    const std::string text = args.Get(option);
    const std::optional<CivilDate> day = text.size() == 8 ? ParseYmd(text) : std::nullopt;
    if (!day) throw UsageError(std::string(option) + " must be a date as yyyymmdd, not '" + text + "'");
    return *day;
}

DayRange Days(const ParsedArgs& args) {
    const DayRange days{DayArgument(args, "--from"), DayArgument(args, "--to")};
    if (days.to < days.from) throw UsageError("--to must not be before --from");
    return days;
}

std::string OutputPath(const ParsedArgs& args, const char* option, const char* defaultName) {
    if (!args.Has(option) || args.Get(option).empty()) throw UsageError(std::string(option) + " is needed");
    return ReportPath(args.Get(option), defaultName);
}

void Save(const std::string& path, const std::vector<std::string>& lines) {
    if (!SaveReportLines(path, lines)) throw CommandFailure("Unable to write " + path);
}

int RunStateFile(CliSession& session, const ParsedArgs& args) {
    const DayRange days = Days(args);
    const std::string out = OutputPath(args, "--out", kStateFileName);
    const std::string spreadsheet =
        args.Has("--spreadsheet") ? OutputPath(args, "--spreadsheet", kStateSpreadsheetName) : std::string();
    const std::string& hospital = session.HospitalSeq();
    dbServerConnection& db = session.DataServer();
    // A quarter's cases take a while; someone at a terminal sees them counted.
    ReportProgress progress;
    if (::isatty(STDERR_FILENO))
        progress = [](std::size_t done, std::size_t total) {
            std::cerr << "\rReading case " << done + 1 << " of " << total << (done + 1 == total ? "\n" : "")
                      << std::flush;
            return true;
        };
    const auto records = QueryStateRecords(db, hospital, days, progress);
    if (!records) FailWithServerError(db, "Unable to read the discharged cases");
    const auto lines = StateFileLines(*records);
    if (!lines) throw CommandFailure(kStateFileTooLarge);
    Save(out, *lines);
    if (!spreadsheet.empty()) Save(spreadsheet, StateSpreadsheetLines(*records));
    std::cout << records->size() << " discharges: " << out << '\n';
    return 0;
}

int RunLateDischarges(CliSession& session, const ParsedArgs& args) {
    const DayRange days = Days(args);
    const std::string out = args.Has("--out") ? OutputPath(args, "--out", kLateDischargeFileName) : std::string();
    const std::string& hospital = session.HospitalSeq();
    dbServerConnection& db = session.DataServer();
    auto entries = QueryLateDischarges(db, hospital, days);
    if (!entries) FailWithServerError(db, "Unable to read the discharged cases");
    const std::vector<std::string> lines = LateDischargeLines(std::move(*entries), args.Has("--by-physician"));
    if (!out.empty()) {
        Save(out, lines);
        return 0;
    }
    // The entries' values hold no control characters, so the lines print as
    // they are.
    for (const std::string& line : lines) std::cout << line << '\n';
    return 0;
}

// Writes the PDF that make draws. The PDF writer's fonts need a GUI
// application; a command-line tool shows no window, so the offscreen
// platform serves without a display, and Qt's notes on the desktop session
// it lacks would only be noise in a scheduled job's log.
template <class Make>
void SavePdf(const std::string& out, Make make) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
    });
    int argc = 1;
    char name[] = "dalvero-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication fonts(argc, argv);
    if (!SaveReportBytes(out, make())) throw CommandFailure("Unable to write " + out);
}

int RunNFCallList(CliSession& session, const ParsedArgs& args) {
    if (args.Has("--per-day") && (args.Has("--from") || args.Has("--to")))
        throw UsageError("give --from and --to, or --per-day, not both");
    const std::optional<DayRange> days =
        args.Has("--from") || args.Has("--to") ? std::optional<DayRange>(Days(args)) : std::nullopt;
    const std::string caseNumber = args.Get("--case");
    if (caseNumber.empty()) throw UsageError("--case is needed: Please enter the Case Number");
    const std::string out = OutputPath(args, "--pdf", kNFPlacementFileName);
    const std::string& hospital = session.HospitalSeq();
    dbServerConnection& db = session.DataServer();
    const NFPlacementQuery found = QueryNFPlacement(db, hospital, caseNumber, days);
    switch (found.outcome) {
    case NFPlacementOutcome::NoCase: throw CommandFailure("No case " + caseNumber + " in your hospital");
    case NFPlacementOutcome::NoExtendedCareNeed:
        throw CommandFailure("Case " + caseNumber + " has no nursing facility need: no call list");
    case NFPlacementOutcome::Failed: FailWithServerError(db, "Unable to read case " + caseNumber);
    case NFPlacementOutcome::Ready: break;
    }
    SavePdf(out, [&] { return NFPlacementPdf(found.report); });
    std::cout << found.report.entries.size() << " refusals: " << out << '\n';
    return 0;
}

int RunChoiceList(CliSession& session, const ParsedArgs& args) {
    const std::string caseNumber = args.Get("--case");
    if (caseNumber.empty()) throw UsageError("--case is needed: Please enter the Case Number");
    const std::string need = SeqArgument(args.Get("--need"));
    const std::string radius = std::to_string(WholeNumber(args.Get("--radius", "50"), "--radius", 1));
    const std::string out = OutputPath(args, "--pdf", kChoiceListFileName);
    dbServerConnection& db = session.DataServer();
    const ChoiceListQuery found =
        QueryChoiceList(db, session.FunctionServer(), session.HospitalSeq(), caseNumber, need, radius);
    switch (found.outcome) {
    case ChoiceListOutcome::NoCase: throw CommandFailure("No case " + caseNumber + " in your hospital");
    case ChoiceListOutcome::NoNeed: throw CommandFailure("Case " + caseNumber + " has no need " + need);
    case ChoiceListOutcome::Failed:
        if (!found.error.empty()) throw CommandFailure(found.error);
        FailWithServerError(db, "Unable to read case " + caseNumber);
    case ChoiceListOutcome::Ready: break;
    }
    SavePdf(out, [&] { return ChoiceListPdf(found.list); });
    std::cout << found.list.entries.size() << " providers: " << out << '\n';
    return 0;
}

const OptionDef kFrom{"--from", "DATE", "first discharge day (yyyymmdd)"};
const OptionDef kTo{"--to", "DATE", "last discharge day, included"};

}  // namespace

std::vector<CommandDef> ReportCommands() {
    return {
        {"state-file", "--from DATE --to DATE --out FILE [--spreadsheet FILE]",
         "write the state discharge data file (MIRCal, 670-character lines) of your hospital's discharges; files "
         "hold SSNs and are readable by you only",
         0, 0,
         {kFrom, kTo,
          {"--out", "FILE", "the fixed-width file (a folder: View.txt in it)"},
          {"--spreadsheet", "FILE", "also the tab-separated spreadsheet (a folder: View.xls in it)"}},
         RunStateFile},
        {"late-discharges", "--from DATE --to DATE [--by-physician] [--out FILE]",
         "print the late discharge report: case number, admission, discharge, late after, physician, case worker, "
         "patient",
         0, 0,
         {kFrom, kTo,
          {"--by-physician", nullptr, "group by primary physician, an empty line after each"},
          {"--out", "FILE", "write the report to FILE instead (a folder: LateDischarges.txt in it)"}},
         RunLateDischarges},
        {"nf-call-list", "--case NUMBER [--from DATE --to DATE | --per-day] --pdf FILE",
         "print the NF placement call list of a case (the refusals of its nursing facility need) into a PDF",
         0, 0,
         {{"--case", "NUMBER", "the case number"},
          {"--from", "DATE", "only calls from this day (yyyymmdd)"}, {"--to", "DATE", "only calls up to this day"},
          {"--per-day", nullptr, "every call, each day on its own pages (the default)"},
          {"--pdf", "FILE", "the PDF to write (a folder: NFPlacementCallList.pdf in it)"}},
         RunNFCallList},
        {"choice-list", "--case NUMBER --need SEQ [--radius MILES] --pdf FILE",
         "print the patient's choice list of a need into a PDF: the providers of its category within the radius "
         "that accept the primary insurance, preferred ones marked, with room for the patient's choice and "
         "signature",
         0, 0,
         {{"--case", "NUMBER", "the case number"},
          {"--need", "SEQ", "the need's Seq"},
          {"--radius", "MILES", "the radius in whole miles (default 50)"},
          {"--pdf", "FILE", "the PDF to write (a folder: ChoiceList.pdf in it)"}},
         RunChoiceList},
    };
}

}  // namespace dalvero::cli
