#pragma once
// The late discharge report: the closed cases of a date range discharged
// after the time their f46 holds (or without one), one tab-separated line
// each, in discharge order or grouped by primary physician.

#include <string>
#include <vector>

namespace dalvero {

// A closed case as the report reads it, dates as stored.
struct LateDischargeCase {
    std::string caseNumber;
    std::string admission;
    std::string discharge;
    std::string lateAfter;  // Cases f46
    std::string patientFirstName;
    std::string patientLastName;
    std::string workerFirstName;
    std::string workerLastName;
    std::string physicianTitle;  // the case's primary physician
    std::string physicianFirstName;
    std::string physicianLastName;
};

struct ReportLateDischargeDataClass {
    std::string caseNumber;
    std::string admission;  // "mm/dd/yyyy hh:mm", as are the next two
    std::string discharge;
    std::string lateAfter;
    std::string physician;
    std::string physicianKey;
    std::string caseWorker;
    std::string patient;
    std::string dischargeKey;  // orders the entries by discharge time
};

inline constexpr char kNoLateDischarges[] = "No Data.";

// Whether the case belongs in the report: discharged after the time in its
// f46, or without one.
bool IsLateDischarge(const LateDischargeCase& row);

ReportLateDischargeDataClass LateDischargeEntry(const LateDischargeCase& row);

// Seven tab-separated fields per entry: case number, admission, discharge,
// f46, physician, case worker, patient; in discharge order, or grouped by
// physician with an empty line after each group. No entries: "No Data.".
std::vector<std::string> LateDischargeLines(std::vector<ReportLateDischargeDataClass> entries, bool byPhysician);

}  // namespace dalvero
