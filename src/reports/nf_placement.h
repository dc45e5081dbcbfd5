#pragma once
// The NF placement call list: the nursing facilities that refused one
// patient, one row each, printed on landscape pages with a day's calls on
// pages of their own, for the placement file the state's auditors review.

#include <optional>
#include <string>
#include <vector>

#include "date_text.h"

namespace dalvero {

class cPrint;

// A refused quote of the case's extended-care need, as stored.
struct NFRefusal {
    std::string contacted;  // quote f2, yyyymmddhhnnss
    std::string facility;
    std::string personFirstName;
    std::string personLastName;
    std::string reason;  // refusal code, "8" for other
    std::string note;    // the explanation of "8"
};

struct ReportNFPlacementDataClass {
    std::string sortKey;  // yyyymmddhhnnsszzz of the contact
    std::string facility;
    std::string contactDate;  // "mm/dd/yyyy hh:mm"
    std::string contactPerson;
    std::string bedAvailable;  // left empty for filling in by hand
    std::string refusal;
    std::string dateBedAvailable;  // likewise
};

struct NFPlacementReport {
    std::string patientName;
    std::string mediCalNumber;  // left empty for filling in by hand
    std::vector<ReportNFPlacementDataClass> entries;
};

// The days whose calls the list holds, both included.
struct DayRange {
    CivilDate from;
    CivilDate to;
};

// Categories of the extended-care needs whose calls the list documents.
bool IsExtendedCareCategory(int category);

// The patient's name from first, middle (when there is one) and last name.
std::string NFPatientName(const std::string& first, const std::string& middle, const std::string& last);

// The entries of the refusals in contact order; with days, only the refusals
// made on those days. Code "8" shows its explanation instead.
std::vector<ReportNFPlacementDataClass> NFPlacementEntries(const std::vector<NFRefusal>& refusals,
                                                           const std::optional<DayRange>& days);

// Draws the call list: at least one page, a new one when the rows are full
// and whenever the contact day changes.
void PrintNFPlacement(cPrint& print, const NFPlacementReport& report);

}  // namespace dalvero
