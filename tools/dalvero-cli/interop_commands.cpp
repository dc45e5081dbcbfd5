// A case handed to other systems: its referral as a FHIR R4 Bundle.

#include <iostream>

#include "cli_session.h"
#include "commands.h"
#include "fhir_queries.h"
#include "report_files.h"

namespace dalvero::cli {

namespace {

std::string CaseArgument(const ParsedArgs& args) {
    const std::string caseNumber = args.Get("--case");
    if (caseNumber.empty()) throw UsageError("--case is needed: Please enter the Case Number");
    return caseNumber;
}

int RunFhirExport(CliSession& session, const ParsedArgs& args) {
    const std::string caseNumber = CaseArgument(args);
    if (!args.Has("--out") || args.Get("--out").empty()) throw UsageError("--out is needed");
    const std::string out = ReportPath(args.Get("--out"), kFhirBundleFileName);
    dbServerConnection& db = session.DataServer();
    const FhirCaseQuery found = QueryFhirCase(db, session.HospitalSeq(), caseNumber);
    switch (found.outcome) {
    case FhirCaseOutcome::NoCase: throw CommandFailure("No case " + caseNumber + " in your hospital");
    case FhirCaseOutcome::Failed: FailWithServerError(db, "Unable to read case " + caseNumber);
    case FhirCaseOutcome::Ready: break;
    }
    // The Bundle names the patient and the SSN: owner-only, like the reports.
    if (!SaveReportBytes(out, FhirBundleJson(found.fhirCase))) throw CommandFailure("Unable to write " + out);
    std::cout << "Case " << caseNumber << ": " << out << '\n';
    return 0;
}

}  // namespace

std::vector<CommandDef> InteropCommands() {
    return {
        {"fhir-export", "--case NUMBER --out FILE",
         "write a case as one FHIR R4 Bundle (type collection): patient, encounter, codes, physicians, family, "
         "insurances, needs, the providers asked and their answers; readable by you only",
         0, 0,
         {{"--case", "NUMBER", "the case number"},
          {"--out", "FILE", "the JSON file to write (a folder: Referral.fhir.json in it)"}},
         RunFhirExport},
    };
}

}  // namespace dalvero::cli
