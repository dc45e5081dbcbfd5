#pragma once
// The DataServer and FunctionServer requests behind the main window's case
// loaders: the open, previous and history case lists, the case workers, an
// open case's four sub-lists (its primary physician is read in
// primary_physician.h).

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "case_object.h"
#include "primary_physician.h"

namespace dalvero {

class cBatchSet;
class cRecordBatch;
class dbServerConnection;

// Who a case list holds: the whole hospital, or the user's own cases.
struct CaseListOwner {
    std::string hospitalSeq;
    std::string userSeq;
    bool showAll = false;
};

// Every record of the set, from its first, as rows.
std::vector<cCaseObject> CaseRows(cBatchSet& set, bool withApproval);

// Every open case, in the order the server lists them, read page after page;
// none when a query fails (a list missing some open cases would be wrong).
std::optional<std::vector<cCaseObject>> QueryOpenCases(dbServerConnection& db, const CaseListOwner& owner);

// Each row's status from the FunctionServer's "getcasestatus"; statuses for
// cases not in rows are skipped. False when the command failed, which leaves
// the statuses as they are.
bool ApplyCaseStatuses(dbServerConnection& functions, std::vector<cCaseObject>& rows);

// The first page of closed cases, pageSize records at most, into batch.
bool QueryPreviousCases(cRecordBatch& batch, dbServerConnection& db, const CaseListOwner& owner, int pageSize);

// Whether the previous list shows its paging buttons: more records follow
// the page than it holds.
bool PagingButtonsVisible(int count, int position);

// A patient's cases, for the case history; none when a query fails.
std::optional<std::vector<cCaseObject>> QueryCaseHistory(dbServerConnection& db, const std::string& patientSeq);

// The hospital's personnel as "first last" names with their Seq.
std::vector<std::pair<std::string, int>> QueryCaseWorkers(dbServerConnection& db, const std::string& hospitalSeq);
// The insurance types (name, Seq) for the discharge editor's drop-downs.
std::vector<std::pair<std::string, int>> QueryInsuranceTypes(dbServerConnection& db);

enum class CaseSubList { kPhysicians, kFamily, kDiagnosisCodes, kTreatmentCodes };

struct SubListRow {
    std::string text;
    ListBoxItemClass item;
};

// The link table of a list and the text of one of its rows.
const char* SubListTable(CaseSubList which);
std::string SubListText(CaseSubList which, const ListBoxItemClass& item);

// One of an open case's lists, its primary entry (physician or family
// contact) first. withoutSeq leaves every row's Seq empty. None when the
// query fails.
std::optional<std::vector<SubListRow>> QueryCaseSubList(dbServerConnection& db, CaseSubList which, const std::string& caseSeq,
                                         bool withoutSeq);

// Sets the closing mark of every quote of the case's needs (of the needs not
// deleted only, with liveNeedsOnly); false when a read or a write failed
// (each is tried).
bool MarkQuotesOfCase(dbServerConnection& db, const std::string& caseSeq, const char* mark, bool liveNeedsOnly);

}  // namespace dalvero
