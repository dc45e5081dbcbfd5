#include "late_discharge.h"

#include <algorithm>
#include <cctype>

#include "report_text.h"

namespace dalvero {

namespace {

// The non-empty parts joined by single blanks.
std::string JoinNames(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        if (!joined.empty()) joined += ' ';
        joined += part;
    }
    return ColumnText(joined);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string Line(const ReportLateDischargeDataClass& e) {
    return e.caseNumber + '\t' + e.admission + '\t' + e.discharge + '\t' + e.lateAfter + '\t' + e.physician + '\t' +
           e.caseWorker + '\t' + e.patient;
}

}  // namespace

bool IsLateDischarge(const LateDischargeCase& row) {
    return DateTimeText(row.lateAfter).empty() || DateTimeKey(row.discharge) > DateTimeKey(row.lateAfter);
}

ReportLateDischargeDataClass LateDischargeEntry(const LateDischargeCase& row) {
    return {
        ColumnText(row.caseNumber),
        DateTimeText(row.admission),
        DateTimeText(row.discharge),
        DateTimeText(row.lateAfter),
        JoinNames({row.physicianTitle, row.physicianFirstName, row.physicianLastName}),
        Upper(JoinNames({row.physicianLastName, row.physicianFirstName})),
        JoinNames({row.workerFirstName, row.workerLastName}),
        JoinNames({row.patientFirstName, row.patientLastName}),
        DateTimeKey(row.discharge),
    };
}

std::vector<std::string> LateDischargeLines(std::vector<ReportLateDischargeDataClass> entries, bool byPhysician) {
    if (entries.empty()) return {kNoLateDischarges};
    std::stable_sort(entries.begin(), entries.end(), [byPhysician](const auto& a, const auto& b) {
        if (byPhysician && a.physicianKey != b.physicianKey) return a.physicianKey < b.physicianKey;
        return a.dischargeKey < b.dischargeKey;
    });
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        lines.push_back(Line(entries[i]));
        if (byPhysician && (i + 1 == entries.size() || entries[i + 1].physicianKey != entries[i].physicianKey))
            lines.emplace_back();
    }
    return lines;
}

}  // namespace dalvero
