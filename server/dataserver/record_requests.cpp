#include "record_requests.h"

#include "frame.h"
#include "join_plan.h"
#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "utf8_text.h"
#include "write_rules.h"

namespace dalvero::server {

using schema::TableDef;

namespace {

constexpr char kMissing[] = "~";
constexpr char kEmptyWritten[] = "~~~";
constexpr char kDone[] = "OK";

constexpr std::string_view kLoadedPrefix = "Loaded.";

bool IsLoadedItem(std::string_view name) {
    return name.size() > kLoadedPrefix.size() && SameText(name.substr(0, kLoadedPrefix.size()), kLoadedPrefix);
}

// The "fN=value" items of a write: every item but the table, the Seq and the
// "Loaded.fN=value" items; with loaded, those instead.
FieldValues ValueItems(const TableDef& table, const StringList& items, bool loaded = false) {
    FieldValues values;
    for (const std::string& item : items) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) throw RequestError(ErrorCode::Malformed, "Not a value item: " + item);
        std::string_view name = std::string_view(item).substr(0, equals);
        if (SameText(name, "TableName") || SameText(name, "Seq")) continue;
        if (IsLoadedItem(name) != loaded) continue;
        if (loaded) name.remove_prefix(kLoadedPrefix.size());
        std::string_view prefix;
        int field = 0;
        if (!SplitFieldName(name, prefix, field) || !SameText(prefix, "f") || field == 1 || !table.HasField(field))
            throw RequestError(ErrorCode::UnknownField, "Unknown field " + std::string(name) + " of " + table.name);
        std::string value = item.substr(equals + 1);
        // Stored as sent, such bytes would break every export that reads them.
        if (!IsUtf8(value))
            throw RequestError(ErrorCode::Malformed, "The value of " + std::string(name) + " of " + table.name +
                                                         " is not UTF-8 text; nothing was written");
        values[field] = value == kEmptyWritten ? std::string() : std::move(value);
    }
    return values;
}

void Refuse(const std::optional<WriteRefusal>& refusal) {
    if (!refusal) return;
    throw RequestError(refusal->why == WriteRefusal::Why::CaseClosed ? ErrorCode::CaseClosed : ErrorCode::BadValue,
                       refusal->text);
}

// A write that closes a case names who closed it.
void StampCloser(const TableDef& table, FieldValues& values, std::int64_t person) {
    const auto closed = values.find(catalogue::cases::kClosed);
    if (!SameText(table.name, catalogue::tbl::kCases) || closed == values.end()) return;
    values[catalogue::cases::kClosedBy] = SameText(closed->second, catalogue::kYes) ? std::to_string(person) : "";
}

// A refusal that tells of a record goes only to someone who may read it;
// anyone else meets the view's own refusal of the write.
bool MaySee(Storage& view, std::string_view table, std::int64_t seq) { return view.Read(table, seq).has_value(); }

std::int64_t AddRecord(Storage& view, const TableDef& table, const StringList& items, const WriteContext& writer) {
    Storage& store = writer.store ? *writer.store : view;
    FieldValues values = ValueItems(table, items);
    Refuse(CheckValueForm(table.name, values));
    const std::optional<WriteRefusal> closed = CheckCaseOpen(store, table.name, values, nullptr);
    if (closed && MaySee(view, catalogue::tbl::kCases, closed->caseSeq)) Refuse(closed);
    StampCloser(table, values, writer.person);
    return view.Add(table.name, values);
}

// Fields sent with the value they were loaded with are written only while
// that is still the stored value: two people on one field do not overwrite
// each other unseen.
void UpdateRecord(Storage& view, const TableDef& table, const StringList& items, const WriteContext& writer) {
    Storage& store = writer.store ? *writer.store : view;
    const std::int64_t seq = ParseSeq(items.Value("Seq"));
    FieldValues values = ValueItems(table, items);
    const FieldValues loaded = ValueItems(table, items, true);
    Refuse(CheckValueForm(table.name, values));
    const std::optional<Record> existing = store.Read(table.name, seq);
    const auto changed = [&] {
        for (const auto& [field, was] : loaded)
            if (existing->Field(field) != was) return field;
        return 0;
    };
    if (existing) {
        const std::optional<WriteRefusal> closed = CheckCaseOpen(store, table.name, values, &*existing);
        const int field = changed();
        if ((closed || field != 0) && MaySee(view, table.name, seq)) {
            if (closed && MaySee(view, catalogue::tbl::kCases, closed->caseSeq)) Refuse(closed);
            if (field != 0)
                throw RequestError(ErrorCode::Changed, "Someone else changed f" + std::to_string(field) + " of " +
                                                           table.name + " since it was loaded");
        }
    }
    StampCloser(table, values, writer.person);
    if (!view.Update(table.name, seq, values))
        throw RequestError(ErrorCode::NotFound, "No record " + std::to_string(seq) + " in " + table.name);
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
    std::string reply;
    AppendCommaItem(reply, table.name);
    auto append = [&reply](std::string_view value) {
        reply += ',';
        AppendCommaItem(reply, value);
    };
    const RecordRow row(*record);
    append(std::to_string(record->seq));
    for (int field = 2; field <= table.lastField; ++field) append(row.Field(field));
    plan.Values(row, aliasFields, append);
    return reply;
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
        std::size_t i = 0;
        plan.Values(RecordRow(*record), refs,
                    [&](std::string_view value) { pairs.push_back(names[i++] + "=" + std::string(value)); });
    }
    return ToCommaText({"Fields=" + ToCommaText(pairs)});
}

}  // namespace

std::string HandleRecordRequest(Storage& storage, std::uint32_t subCommand, std::string_view payload,
                                const WriteContext& writer) {
    const StringList items(ParseCommaText(payload));
    const TableDef& table = RequireTable(items.Value("TableName"));
    switch (subCommand) {
        case frame::sub::kAdd:
            return std::to_string(AddRecord(storage, table, items, writer));
        case frame::sub::kUpdate:
            UpdateRecord(storage, table, items, writer);
            return kDone;
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
