#include "server_lists.h"

#include <cctype>

#include "request_error.h"
#include "string_list.h"
#include "whole_number.h"

namespace dalvero::server {

using schema::KeyMatch;
using schema::ListDef;
using schema::TableDef;

namespace {

constexpr std::string_view kDefEnding = ".def";

Condition KeyEquals(int field, std::string_view key) {
    if (field == 1) ParseSeq(key);  // refused here rather than deep in the store
    return Condition{field, CompareOp::Equal, std::string(key), false};
}

}  // namespace

std::int64_t ParseSeq(std::string_view text) {
    if (auto value = ParseWholeNumber(text)) return *value;
    throw RequestError(ErrorCode::Malformed, "Not a sequence number: " + std::string(text));
}

const TableDef& RequireTable(std::string_view name) {
    if (name.size() > kDefEnding.size() && SameText(name.substr(name.size() - kDefEnding.size()), kDefEnding))
        name.remove_suffix(kDefEnding.size());
    const TableDef* table = schema::FindTable(name);
    if (!table) throw RequestError(ErrorCode::UnknownTable, "Unknown table " + std::string(name));
    return *table;
}

const ListDef& RequireList(const TableDef& table, std::string_view name) {
    std::string_view digits = name;
    if (!digits.empty() && (digits.front() == 'L' || digits.front() == 'l')) digits.remove_prefix(1);
    const int number = ToIntDef(digits, 0);
    const ListDef* list = digits.empty() || !std::isdigit(static_cast<unsigned char>(digits.front()))
                              ? nullptr
                              : table.FindList(number);
    if (!list) throw RequestError(ErrorCode::UnknownList, "Unknown list " + std::string(name) + " of " + table.name);
    return *list;
}

std::vector<Condition> MemberConditions(const ListDef& list, std::string_view key) {
    std::vector<Condition> conditions = list.fixed;
    switch (list.match) {
        case KeyMatch::Seq:
            if (!key.empty()) conditions.push_back(KeyEquals(1, key));
            break;
        case KeyMatch::Exact:
            conditions.push_back(KeyEquals(list.keyField, key));
            break;
        case KeyMatch::From:
            if (!key.empty()) conditions.push_back({list.keyField, CompareOp::AtLeast, std::string(key), false});
            break;
        case KeyMatch::Ignored:
            break;
    }
    return conditions;
}

std::vector<Condition> FindConditions(const TableDef& table, const ListDef& list, std::string_view key,
                                      std::string_view owner) {
    std::vector<Condition> conditions = list.fixed;
    conditions.push_back(KeyEquals(list.keyField, key));
    if (!owner.empty()) {
        if (!list.ownerField)
            throw RequestError(ErrorCode::Malformed,
                               "List " + std::to_string(list.number) + " of " + table.name + " has no owner");
        conditions.push_back(KeyEquals(list.ownerField, owner));
    }
    return conditions;
}

}  // namespace dalvero::server
