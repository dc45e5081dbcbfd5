#pragma once
// FunctionServer commands: a JSON object naming the command in
// "ServerCommand" with its arguments as text members, sent as one
// zero-terminated text; the reply is parsed into the same object. A
// non-empty "Error" member is a failed command whose text the screen shows;
// "~" is a notice shown instead of a result; "NoData" = "Y" found nothing.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json_node.h"

namespace dalvero {

class dbServerConnection;

namespace fncmd {
inline constexpr char kGetCaseStatus[] = "getcasestatus";
inline constexpr char kGetCaseNeedStatus[] = "getcaseneedstatus";
inline constexpr char kProcessNeedsMatching[] = "processneedsmatching";
inline constexpr char kSendDoctorNotificationEmail[] = "senddoctornotificationemail";
inline constexpr char kSendInitialNeedsEmails[] = "sendinitialneedsemails";
inline constexpr char kGetCaseManagerStatus[] = "getcasemanagerstatus";
inline constexpr char kUpdateProviderLatitudeLongitude[] = "updateproviderlatitudelongitude";
inline constexpr char kGetIcd9SymptomsForKeywords[] = "geticd9symptomsforkeywords";
inline constexpr char kGetIcd9TreatmentsForKeywords[] = "geticd9treatmentsforkeywords";

// Reply members.
inline constexpr char kError[] = "Error";
inline constexpr char kNotice[] = "~";
inline constexpr char kNoData[] = "NoData";
inline constexpr char kStatusList[] = "StatusList";
inline constexpr char kData[] = "Data";
}  // namespace fncmd

// The "Error" text a command reads as when no reply came.
inline constexpr char kNoFunctionReply[] = "No reply from the function server";

// Sends request, with the connection's Session as the member "Session", and
// replaces its content with the reply. True when a reply
// came without an "Error"; a command that got no reply (or an empty one)
// gives false and reads as failed, its "Error" being kNoFunctionReply.
bool RunFunctionCommand(dbServerConnection& connection, cJsonNode& request);

// Request builders: each empties request and fills it in the order the
// server expects. Sequence-number lists are sent comma-separated.
void BuildGetCaseStatus(cJsonNode& request, const std::vector<std::string>& caseSeqs);
void BuildGetCaseNeedStatus(cJsonNode& request, const std::vector<std::string>& needSeqs);

struct NeedsMatchingArgs {
    std::string caseSeq;
    std::string needSeq;           // empty: every need of the case ("[ALL]")
    std::string mileRadius;        // not sent when empty
    std::string maxNumberMatches;
    bool moreProvidersMode = false;
    bool mustMatchPrimaryIns = false;
};
void BuildProcessNeedsMatching(cJsonNode& request, const NeedsMatchingArgs& args);

void BuildSendDoctorNotificationEmail(cJsonNode& request, std::string_view caseSeq);

// One chosen provider and its chosen needs, each need Seq with its name.
struct ProviderNeeds {
    std::string providerSeq;
    std::vector<std::pair<std::string, std::string>> needs;
};
void BuildSendInitialNeedsEmails(cJsonNode& request, const std::vector<ProviderNeeds>& providers);

void BuildGetCaseManagerStatus(cJsonNode& request, const std::vector<std::string>& personnelSeqs, bool groupByDay);
void BuildUpdateProviderLatitudeLongitude(cJsonNode& request, std::string_view providerSeq);
// command: fncmd::kGetIcd9SymptomsForKeywords or kGetIcd9TreatmentsForKeywords.
void BuildCodeKeywordLookup(cJsonNode& request, std::string_view command, std::string_view keyWordPhrase);

}  // namespace dalvero
