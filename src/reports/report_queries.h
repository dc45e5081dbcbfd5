#pragma once
// The DataServer reads behind the reports, shared by the administration
// screen and dalvero-cli so both make the same files from the same records.
// Each returns none when a request fails: a report that silently lacks
// cases or codes would be wrong, so it is not made at all.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "choice_list.h"
#include "late_discharge.h"
#include "nf_placement.h"
#include "state_record.h"

namespace dalvero {

class dbServerConnection;

// Told how many of the cases are done; returning false stops the work.
using ReportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The state file's record of each case of the hospital closed with a
// discharge on a day of days, in discharge order. None when a request fails
// or progress stopped the work.
std::optional<std::vector<ReportRecordDataClass>> QueryStateRecords(dbServerConnection& db,
                                                                    const std::string& hospitalSeq,
                                                                    const DayRange& days,
                                                                    const ReportProgress& progress = {});

// The late-discharge entries of the hospital's cases closed with a discharge
// on a day of days, each with its primary physician.
std::optional<std::vector<ReportLateDischargeDataClass>> QueryLateDischarges(dbServerConnection& db,
                                                                             const std::string& hospitalSeq,
                                                                             const DayRange& days);

enum class NFPlacementOutcome { Ready, NoCase, NoExtendedCareNeed, Failed };

struct NFPlacementQuery {
    NFPlacementOutcome outcome = NFPlacementOutcome::Failed;
    NFPlacementReport report;  // when Ready
};

// The call list of the hospital's case with this number: the refusals of
// its first extended-care need, only those of days when given.
NFPlacementQuery QueryNFPlacement(dbServerConnection& db, const std::string& hospitalSeq,
                                  const std::string& caseNumber, const std::optional<DayRange>& days);

enum class ChoiceListOutcome { Ready, NoCase, NoNeed, Failed };

struct ChoiceListQuery {
    ChoiceListOutcome outcome = ChoiceListOutcome::Failed;
    ChoiceList list;    // when Ready
    std::string error;  // when Failed: the server's reason, if it gave one
};

// The choice list of the need with this Seq of the hospital's case with this
// number: the providers the server matches for it within radius miles that
// accept the case's primary insurance, preferred ones first, each with its
// address and phone. data is the DataServer, functions the FunctionServer.
ChoiceListQuery QueryChoiceList(dbServerConnection& data, dbServerConnection& functions,
                                const std::string& hospitalSeq, const std::string& caseNumber,
                                const std::string& needSeq, const std::string& radius);

}  // namespace dalvero
