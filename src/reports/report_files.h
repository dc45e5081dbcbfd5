#pragma once
// Report files on disk. They hold patients' names and Social Security
// numbers, so they are readable by their owner only, and a write that fails
// says so instead of leaving a half file: the text goes to a temporary file
// beside the target, which replaces the target only when complete.

#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

// Each report's own default name, so that one report never overwrites
// another in the folder the user chooses.
inline constexpr char kStateFileName[] = "View.txt";
inline constexpr char kStateSpreadsheetName[] = "View.xls";
inline constexpr char kLateDischargeFileName[] = "LateDischarges.txt";
inline constexpr char kLateDischargeSpreadsheetName[] = "LateDischarges.xls";
inline constexpr char kNFPlacementFileName[] = "NFPlacementCallList.pdf";
inline constexpr char kChoiceListFileName[] = "ChoiceList.pdf";
inline constexpr char kFhirBundleFileName[] = "Referral.fhir.json";

// path itself, or defaultName inside it when path names a folder.
std::string ReportPath(const std::string& path, const char* defaultName);

// Writes bytes to path with mode 0600; false, with path unchanged, when
// anything fails.
bool SaveReportBytes(const std::string& path, std::string_view bytes);

// The lines, each ended by CR LF, as SaveReportBytes writes them.
bool SaveReportLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace dalvero
