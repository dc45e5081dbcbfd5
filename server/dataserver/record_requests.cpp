#include "record_requests.h"

#include "frame.h"
#include "join_plan.h"
#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"

namespace dalvero::server {

using schema::TableDef;

namespace {

constexpr char kMissing[] = "~";
constexpr char kEmptyWritten[] = "~~~";
constexpr char kDone[] = "OK";

// The "fN=value" items of a write: every item but the table and the Seq.
FieldValues ValueItems(const TableDef& table, const StringList& items) {
    FieldValues values;
    for (const std::string& item : items) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) throw RequestError(ErrorCode::Malformed, "Not a value item: " + item);
        const std::string_view name = std::string_view(item).substr(0, equals);
        if (SameText(name, "TableName") || SameText(name, "Seq")) continue;
        std::string_view prefix;
        int field = 0;
        if (!SplitFieldName(name, prefix, field) || !SameText(prefix, "f") || field == 1 || !table.HasField(field))
            throw RequestError(ErrorCode::UnknownField, "Unknown field " + std::string(name) + " of " + table.name);
        std::string value = item.substr(equals + 1);
        values[field] = value == kEmptyWritten ? std::string() : std::move(value);
    }
    return values;
}

// The record a read names: by "List", "Key" and "Owner", or else by "Seq".
std::optional<Record> FindRecord(Storage& storage, const TableDef& table, const StringList& items) {
    if (items.IndexOfName("List") < 0) return storage.Read(table.name, ParseSeq(items.Value("Seq")));
    const schema::ListDef& list = RequireList(table, items.Value("List"));
    const std::string key = items.Value("Key");
    if (key.empty()) return std::nullopt;  // nothing to find by; never "the records with no key"
    ListRead read;
    read.table = table.name;
    read.where = FindConditions(table, list, key, items.Value("Owner"));
    read.orderBy = list.orderBy;
    read.descending = list.descending;
    read.limit = 1;
    std::vector<Record> found = storage.Select(read);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::string ReadReply(Storage& storage, const TableDef& table, const StringList& items) {
    JoinPlan plan(storage, table, items.Value("AliasList"));
    const std::vector<FieldRef> aliasFields = plan.ResolveAll(ParseCommaText(items.Value("AliasFields")));
    const std::optional<Record> record = FindRecord(storage, table, items);
    if (!record) return kMissing;
    std::vector<std::string> reply{table.name};
    for (int field = 1; field <= table.lastField; ++field) reply.push_back(FieldValue(*record, field));
    for (std::string& value : plan.Values(*record, aliasFields)) reply.push_back(std::move(value));
    return ToCommaText(reply);
}

std::string FieldsReply(Storage& storage, const TableDef& table, const StringList& items) {
    JoinPlan plan(storage, table, items.Value("AliasList"));
    const std::string fieldList = items.Value("FieldList");
    const bool all = SameText(fieldList, "all") || fieldList == "*";
    std::vector<std::string> names;
    if (!all)
        for (std::string& name : ParseCommaText(fieldList))
            if (!name.empty()) names.push_back(std::move(name));
    const std::vector<FieldRef> refs = plan.ResolveAll(names);
    const std::optional<Record> record = FindRecord(storage, table, items);
    if (!record) return kMissing;

    std::vector<std::string> pairs;
    if (all) {
        for (int field = 1; field <= table.lastField; ++field)
            pairs.push_back("f" + std::to_string(field) + "=" + FieldValue(*record, field));
        for (const auto& [field, value] : record->fields)
            if (field > 1000) pairs.push_back("f" + std::to_string(field) + "=" + value);
    } else {
        const std::vector<std::string> values = plan.Values(*record, refs);
        for (std::size_t i = 0; i < names.size(); ++i) pairs.push_back(names[i] + "=" + values[i]);
    }
    return ToCommaText({"Fields=" + ToCommaText(pairs)});
}

}  // namespace

std::string HandleRecordRequest(Storage& storage, std::uint32_t subCommand, std::string_view payload) {
    const StringList items(ParseCommaText(payload));
    const TableDef& table = RequireTable(items.Value("TableName"));
    switch (subCommand) {
        case frame::sub::kAdd:
            return std::to_string(storage.Add(table.name, ValueItems(table, items)));
        case frame::sub::kUpdate: {
            const std::int64_t seq = ParseSeq(items.Value("Seq"));
            if (!storage.Update(table.name, seq, ValueItems(table, items)))
                throw RequestError(ErrorCode::NotFound, "No record " + std::to_string(seq) + " in " + table.name);
            return kDone;
        }
        case frame::sub::kDelete: {
            const std::int64_t seq = ParseSeq(items.Value("Seq"));
            if (!storage.Remove(table.name, seq))
                throw RequestError(ErrorCode::NotFound, "No record " + std::to_string(seq) + " in " + table.name);
            return kDone;
        }
        case frame::sub::kRead:
        case frame::sub::kReadFields: {
            std::string reply;
            // The record and its joined records come from one snapshot.
            storage.InReadTransaction([&] {
                reply = subCommand == frame::sub::kRead ? ReadReply(storage, table, items)
                                                        : FieldsReply(storage, table, items);
            });
            return reply;
        }
        default:
            throw RequestError(ErrorCode::UnknownCommand, "Unknown record operation " + std::to_string(subCommand));
    }
}

}  // namespace dalvero::server
