#include "filters.h"

#include <cctype>
#include <utility>

#include "date_text.h"
#include "join_plan.h"
#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"

namespace dalvero::server {

namespace {

constexpr std::pair<std::string_view, CompareOp> kOperators[] = {
    {"!=", CompareOp::NotEqual}, {">=", CompareOp::AtLeast}, {"<=", CompareOp::AtMost}, {"=", CompareOp::Equal}};

Condition ParseCondition(const schema::TableDef& table, std::string_view text, bool dateBounds) {
    std::size_t end = 0;
    while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
    std::string_view prefix;
    int field = 0;
    if (!SplitFieldName(text.substr(0, end), prefix, field) || !SameText(prefix, "f") || field < 1 ||
        field > table.lastField)
        throw RequestError(ErrorCode::BadFilter, "Bad filter field in " + std::string(text));
    const std::string_view rest = text.substr(end);
    for (const auto& [symbol, op] : kOperators) {
        if (rest.substr(0, symbol.size()) != symbol) continue;
        Condition condition{field, op, std::string(rest.substr(symbol.size())), false};
        if (field == 1) ParseSeq(condition.value);
        if (dateBounds && condition.value.find('/') != std::string::npos) {
            condition.value = DateBound(condition.value);
            condition.asDate = true;
        }
        return condition;
    }
    throw RequestError(ErrorCode::BadFilter, "Bad filter operator in " + std::string(text));
}

}  // namespace

std::vector<Condition> ParseFilter(const schema::TableDef& table, std::string_view filter, bool dateBounds) {
    std::vector<Condition> conditions;
    for (const std::string& item : ParseCommaText(filter))
        if (!item.empty()) conditions.push_back(ParseCondition(table, item, dateBounds));
    return conditions;
}

std::string DateBound(std::string_view text) {
    const auto date = ParseDisplay(text, Today());
    if (!date) throw RequestError(ErrorCode::BadFilter, "Not a date: " + std::string(text));
    return ToYmd(*date);
}

}  // namespace dalvero::server
