#include "code_lookup.h"

#include <algorithm>
#include <cctype>

#include "json_values.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

// More than a look-up list can usefully show; narrower words find the rest.
constexpr int kMostCodes = 100;

// Whether the phrase holds a word at all: a letter or a digit (any byte of a
// UTF-8 letter counts); the store splits the words itself.
bool HasWord(std::string_view phrase) {
    return std::any_of(phrase.begin(), phrase.end(),
                       [](unsigned char c) { return std::isalnum(c) || c >= 0x80; });
}

void LookUpCodes(const CommandContext& context, std::string_view table, cJsonNode& request, cJsonNode& reply) {
    const std::string words = request.GetString("KeyWordPhrase");
    if (!HasWord(words)) throw CommandError("Type one or more keywords to search for.");
    const auto codes = context.storage.SearchText(table, cat::icd9::kDescription, words, kMostCodes);
    if (codes.empty()) {
        reply.AddMember("NoData", "Y");
        return;
    }
    cJsonNode& data = *reply.GetMember("Data");
    for (const Record& code : codes) {
        const std::string name = Field(code, cat::icd9::kCode);
        if (!name.empty()) data.AddString(name, Field(code, cat::icd9::kDescription));
    }
}

}  // namespace

void GetIcd9SymptomsForKeywords(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    LookUpCodes(context, cat::tbl::kICD9Symptom, request, reply);
}

void GetIcd9TreatmentsForKeywords(const CommandContext& context, cJsonNode& request, cJsonNode& reply) {
    LookUpCodes(context, cat::tbl::kICD9Treatment, request, reply);
}

}  // namespace dalvero::server::functions
