#include "case_needs.h"

#include <algorithm>
#include <cctype>

#include "date_text.h"
#include "function_commands.h"
#include "json_node.h"
#include "record_batch.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {
namespace {
namespace cat = catalogue;

constexpr int kMostNeeds = 1000;

// The name field of the one record seq names; empty for no Seq or a failed read.
std::string NameOf(dbServerConnection& db, const char* table, int nameField, const std::string& seq) {
    if (seq.empty()) return {};
    std::string fields;
    const std::string name = "f" + std::to_string(nameField);
    if (!GetRecordFields(db, table, seq, name, fields)) return {};
    StringList values;
    values.SetCommaText(fields);
    return values.Value(name);
}
}  // namespace

NeedColour NeedStatusColour(std::string_view code) {
    switch (code.empty() ? '\0' : code.front()) {
    case '1':
        return NeedColour::kRed;
    case '2':
        return NeedColour::kYellow;
    case '3':
        return NeedColour::kGreen;
    default:
        return NeedColour::kNone;
    }
}

std::string NeedStatusText(std::string_view code) {
    std::string upper(code);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "1A") return "No requests sent";
    if (upper == "1B") return "All providers have rejected";
    if (upper == "1C") return "Needs a provider to be chosen";
    if (!upper.empty() && upper.front() == '2') return "Waiting for response";
    return {};
}

std::string RequiredToDisplay(std::string_view required) {
    const std::string date = DateToDisplay(required.substr(0, std::min<std::size_t>(required.size(), 8)));
    // A stored value that is no date is shown as it is stored.
    if (date.empty()) return std::string(required);
    const std::string time = StampTimeOfDay(required);
    return time.empty() ? date : date + " " + time;
}

std::optional<std::vector<cCaseNeeds>> QueryCaseNeeds(dbServerConnection& db, const std::string& caseSeq) {
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kCaseNeeds, cat::kListByOwner, caseSeq, "", 0, kMostNeeds, "f11,f12,f13,f14,f15",
                     "", cat::case_needs::kNotDeletedFilter, "F"))
        return std::nullopt;
    std::vector<cCaseNeeds> needs;
    cBatchSet& set = *batch.Set;
    if (!set.First()) return needs;
    do {
        cCaseNeeds need;
        need.Seq = set.Seq;
        need.Required = set.ReadField(cat::case_needs::kRequired);
        need.Description = set.ReadField(cat::case_needs::kDescription);
        need.TypeName = NameOf(db, cat::tbl::kProviderTypes, cat::provider_types::kName,
                               set.ReadField(cat::case_needs::kProviderType));
        need.CategoryName = NameOf(db, cat::tbl::kProviderCategories, cat::provider_categories::kName,
                                   set.ReadField(cat::case_needs::kCategory));
        need.DetailName = NameOf(db, cat::tbl::kProviderCategoryDetails, cat::provider_category_details::kName,
                                 set.ReadField(cat::case_needs::kCategoryDetail));
        needs.push_back(std::move(need));
    } while (set.Next());
    return needs;
}

std::vector<std::pair<std::string, std::string>> QueryNeedStatuses(dbServerConnection& functions,
                                                                   const std::vector<std::string>& needSeqs) {
    cJsonNode command;
    BuildGetCaseNeedStatus(command, needSeqs);
    std::vector<std::pair<std::string, std::string>> statuses;
    if (!RunFunctionCommand(functions, command)) return statuses;
    cJsonNode* list = command.GetMember(fncmd::kStatusList);
    for (int i = 0; list && i < list->Count(); ++i)
        statuses.emplace_back(list->NameAt(static_cast<std::size_t>(i)), list->ValueAt(static_cast<std::size_t>(i)));
    return statuses;
}

}  // namespace dalvero
