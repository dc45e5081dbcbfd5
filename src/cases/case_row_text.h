#pragma once
// What the case list rows show and how they sort: cell texts, the patient's
// age and the sort key of each column.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

class cCaseObject;

// Columns of the open case list; the previous list has the same columns
// without kStatusColumn.
enum CaseColumn {
    kNameColumn = 0,
    kCaseColumn,
    kRoomColumn,
    kBedColumn,
    kAdmitColumn,
    kDischargeColumn,
    kSexColumn,
    kAgeColumn,
    kStatusColumn,
    kCaseWorkerColumn,
    kCaseColumnCount
};

// Local date and time as a day serial (days from 30 December 1899) with the
// time of day as its fraction.
double LocalNow();

// Years from the birth date to now; none when the birth date is no date.
std::optional<double> AgeInYears(std::string_view birthDate, double now);

// Last name, comma, first name: a row's text after every load.
std::string RowName(const cCaseObject& c);

// The texts of the kCaseColumnCount cells; the status cell is drawn, not
// written, so its text is empty.
std::vector<std::string> CaseCellTexts(const cCaseObject& c, double now);

// A stored date or date-time as "yyyymmdd", so that text order is date order;
// empty when it is no date.
std::string DateSortKey(std::string_view stored);

// The text a row sorts by when the list is sorted on column.
std::string CaseSortKey(const cCaseObject& c, int column, double now);

}  // namespace dalvero
