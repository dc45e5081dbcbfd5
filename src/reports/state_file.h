#pragma once
// The two writers of the state discharge data file: fixed-width lines of
// exactly 670 characters, and the tab-separated spreadsheet with its title
// line. Numeric fields are right-justified with leading zeros (zeros on the
// right would change their value); text fields are left-justified with blanks.

#include <optional>
#include <string>
#include <vector>

#include "state_record.h"

namespace dalvero {

inline constexpr std::size_t kStateLineLength = 670;
// More records than this make a file of over 3 MB, which the state refuses.
inline constexpr std::size_t kMaxStateFileRecords = 4464;
inline constexpr char kStateFileTooLarge[] = "The MIRCal Report file is larger than 3 MB.  Reduce the date range.";
inline constexpr char kStateFileTooLargeCaption[] = "MIRCal Filesize warning";

// A case's codes in the order they were added: the first of each list is
// the principal one, the next fill the other codes; those beyond the file's
// slots are dropped.
void SetCodes(ReportRecordDataClass& record, const std::vector<std::string>& diagnoses,
              const std::vector<std::string>& procedures);

// One line per record, without line ends; none when there are more than
// kMaxStateFileRecords records.
std::optional<std::vector<std::string>> StateFileLines(const std::vector<ReportRecordDataClass>& records);

// The title line, then one line per record, each value followed by a tab.
std::vector<std::string> StateSpreadsheetLines(const std::vector<ReportRecordDataClass>& records);

}  // namespace dalvero
