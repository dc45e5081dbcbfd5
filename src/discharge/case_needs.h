#pragma once
// The rows of the discharge view: one cCaseNeeds per listed need of a case,
// read from the DataServer with its three names, and the status the
// FunctionServer computes for it, shown as a colour and a text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

class dbServerConnection;

struct cCaseNeeds {
    std::string Seq;
    std::string Required;  // "yyyymmddhhmm", or "yyyymmdd" without a time
    std::string TypeName;
    std::string CategoryName;
    std::string DetailName;
    std::string Description;
    std::string Status;  // empty until the FunctionServer gives one
};

enum class NeedColour { kNone, kRed, kYellow, kGreen };

// By the code's first character; letter case does not matter.
NeedColour NeedStatusColour(std::string_view code);
// The text under the status box; empty for codes that have none.
std::string NeedStatusText(std::string_view code);

// "yyyymmdd" or "yyyymmddhhmm" as "mm/dd/yyyy" or "mm/dd/yyyy hh:mm".
std::string RequiredToDisplay(std::string_view required);

// The case's needs that are not deleted, in the server's order, each with
// its type, category and detail names; nullopt when the query fails.
std::optional<std::vector<cCaseNeeds>> QueryCaseNeeds(dbServerConnection& db, const std::string& caseSeq);

// The statuses of the given needs ("getcaseneedstatus"), need Seq -> code,
// in the reply's order; empty when the command fails.
std::vector<std::pair<std::string, std::string>> QueryNeedStatuses(dbServerConnection& functions,
                                                                   const std::vector<std::string>& needSeqs);

}  // namespace dalvero
