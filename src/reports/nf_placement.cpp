#include "nf_placement.h"

#include <algorithm>

#include "print.h"
#include "report_text.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {

using Align = cPrint::Align;

constexpr double kGridPen = 0.01;
constexpr double kGridLeft = 0.5;
constexpr double kGridRight = 10.5;
constexpr double kHeadingTop = 1.35;
constexpr double kFirstRowTop = 1.75;
constexpr double kRowHeight = 0.25;
constexpr double kGridBottom = 6.5;
constexpr double kTextDrop = 0.05;  // a row's text below its top line
constexpr double kColumnLines[] = {0.5, 4.3, 5.55, 7.55, 8.25, 9.25, 10.5};
constexpr int kRowsPerPage = 19;    // (6.5 - 1.75) / 0.25

constexpr double kTitleSize = 12;
constexpr double kTextSize = 10;
constexpr double kFooterSize = 9;

constexpr const char* kReasonCodes[] = {"(1) Too heavy",          "(2) No Medi-Cal beds",
                                        "(3) Too young",          "(4) Behavior problem",
                                        "(5) Decubitis",          "(6) Too many tube feeders",
                                        "(7) No gender appropiate beds", "(8) Other (Explanation given)"};
constexpr const char* kAdminDayNotes[] = {
    "1. Need a separate TAR for Admin Day, Place \"2\" in box 18 for \"Type\" instead of \"0\".",
    "2. SNF/ICF (Intermediate Care Facility) Placement: 15 calls, then 10 calls.  No calls needed on weekends and "
    "holidays.",
    "3. TB Clearance.  Placement efforts not required.",
    "4. High Risk Obstetrical Patients (See Package)",
    "5. For \"retro-eligibility\":  Does not need a call list for NF placement.  Placement efforts need to be "
    "documented in MR.",
};

void PrintHeadings(cPrint& print) {
    constexpr double kUpper = 1.4;
    constexpr double kLower = 1.55;
    print.Text(0.53, kLower, "Facility Name");
    print.Text(4.33, kLower, "Contact Date");
    print.Text(5.58, kLower, "Contact Person");
    print.Text(7.9, kUpper, "Bed", Align::Centre);
    print.Text(7.9, kLower, "Available", Align::Centre);
    print.Text(8.28, kLower, "Refusal Code*");
    print.Text(9.875, kUpper, "Date Bed", Align::Centre);
    print.Text(9.875, kLower, "Available", Align::Centre);
}

void PrintGrid(cPrint& print) {
    print.Line(kGridLeft, kHeadingTop, kGridRight, kHeadingTop, kGridPen);
    for (int row = 0; row <= kRowsPerPage; ++row) {
        const double y = kFirstRowTop + row * kRowHeight;
        print.Line(kGridLeft, y, kGridRight, y, kGridPen);
    }
    for (double x : kColumnLines) print.Line(x, kHeadingTop, x, kGridBottom, kGridPen);
}

void PrintFooter(cPrint& print) {
    constexpr double kCaptionTop = 6.8;
    constexpr double kFirstLine = 7.0;
    constexpr double kLineStep = 0.2;
    print.SetFont(kFooterSize, false);
    print.Text(0.9, kCaptionTop, "* Refusal Reason Codes:");
    for (std::size_t i = 0; i < std::size(kReasonCodes); ++i)
        print.Text(i < 4 ? 0.5 : 1.8, kFirstLine + static_cast<double>(i % 4) * kLineStep, kReasonCodes[i]);
    print.Text(3.8, kCaptionTop, "Administration Days Usage:");
    for (std::size_t i = 0; i < std::size(kAdminDayNotes); ++i)
        print.Text(3.8, kFirstLine + static_cast<double>(i) * kLineStep, kAdminDayNotes[i]);
}

void PrintPage(cPrint& print, const NFPlacementReport& report, int page) {
    print.SetFont(kTitleSize, true);
    print.Text(5.5, 0.5, "Call List for NF Placement", Align::Centre);
    print.SetFont(kTextSize, false);
    print.Text(10.25, 0.5, "Page " + std::to_string(page));
    print.Text(1.0, 1.0, "Patient Name: " + report.patientName);
    print.Text(8.0, 1.0, "Medi-Cal No.: " + report.mediCalNumber);
    PrintHeadings(print);
    PrintGrid(print);
    PrintFooter(print);
    print.SetFont(kTextSize, false);
}

void PrintEntry(cPrint& print, const ReportNFPlacementDataClass& entry, int row) {
    const double y = kFirstRowTop + row * kRowHeight + kTextDrop;
    print.Text(0.53, y, entry.facility);
    print.Text(4.33, y, entry.contactDate);
    print.Text(5.58, y, entry.contactPerson);
    print.Text(7.9, y, entry.bedAvailable, Align::Centre);
    print.Text(8.28, y, entry.refusal);
    print.Text(9.28, y, entry.dateBedAvailable);
}

std::string_view Day(const ReportNFPlacementDataClass& entry) {
    return std::string_view(entry.sortKey).substr(0, 8);
}

}  // namespace

bool IsExtendedCareCategory(int category) {
    return category == 140 || category == 148 || category == 149 || category == 150;
}

std::string NFPatientName(const std::string& first, const std::string& middle, const std::string& last) {
    return ColumnText(middle.empty() ? first + " " + last : first + " " + middle + " " + last);
}

std::vector<ReportNFPlacementDataClass> NFPlacementEntries(const std::vector<NFRefusal>& refusals,
                                                           const std::optional<DayRange>& days) {
    std::vector<ReportNFPlacementDataClass> entries;
    for (const NFRefusal& refusal : refusals) {
        const std::optional<CivilDate> day = ParseYmd(refusal.contacted);
        if (days && (!day || *day < days->from || *day > days->to)) continue;
        const bool other = refusal.reason == catalogue::quotes::kReasonOther;
        entries.push_back({DateTimeKey(refusal.contacted), ColumnText(refusal.facility),
                           DateTimeText(refusal.contacted),
                           ColumnText(refusal.personFirstName + " " + refusal.personLastName), {},
                           ColumnText(other ? refusal.note : refusal.reason), {}});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.sortKey < b.sortKey; });
    return entries;
}

void PrintNFPlacement(cPrint& print, const NFPlacementReport& report) {
    int page = 1;
    int row = 0;
    PrintPage(print, report, page);
    for (std::size_t i = 0; i < report.entries.size(); ++i) {
        if (row == kRowsPerPage || (i > 0 && Day(report.entries[i]) != Day(report.entries[i - 1]))) {
            print.NewPage();
            PrintPage(print, report, ++page);
            row = 0;
        }
        PrintEntry(print, report.entries[i], row++);
    }
}

}  // namespace dalvero
