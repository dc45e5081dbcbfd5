#pragma once
// The status codes of needs and cases, as the discharge view and the case
// lists colour them: "1A" no request sent, "1B" every provider rejected, "1C"
// a provider accepted but none is chosen (all red), "2" waiting for answers
// (yellow), "3" filled (green).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "command_context.h"
#include "json_node.h"

namespace dalvero::server::functions {

// A case's needs that are listed (not deleted), in Seq order.
std::vector<Record> ListedNeeds(Storage& storage, std::int64_t caseSeq);
// A need's requests that still count: those not closed with the need or case.
std::vector<Record> LiveQuotes(Storage& storage, std::int64_t needSeq);

std::string NeedStatus(Storage& storage, const Record& need);
// By case, for those of the cases that exist: the most urgent status of the
// case's listed needs, "1A" when it has none. Read in three statements.
std::map<std::int64_t, std::string> CaseStatuses(Storage& storage, std::vector<std::int64_t> caseSeqs);

// "getcaseneedstatus" and "getcasestatus": SeqList in, StatusList out.
void GetCaseNeedStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply);
void GetCaseStatus(const CommandContext& context, cJsonNode& request, cJsonNode& reply);

}  // namespace dalvero::server::functions
