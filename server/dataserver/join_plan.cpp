#include "join_plan.h"

#include <algorithm>
#include <cctype>

#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"
#include "whole_number.h"

namespace dalvero::server {

namespace {

bool IsLetters(std::string_view text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (!std::isalpha(c)) return false;
    return true;
}

// The Seq a link field names, if it names one.
std::optional<std::int64_t> LinkOf(const RowView& row, int field) {
    if (field == 1) return row.Seq();
    return ParseWholeNumber(row.Field(field));
}

}  // namespace

bool SplitFieldName(std::string_view name, std::string_view& prefix, int& number) {
    std::size_t digits = 0;
    while (digits < name.size() && std::isalpha(static_cast<unsigned char>(name[digits]))) ++digits;
    prefix = name.substr(0, digits);
    const std::string_view rest = name.substr(digits);
    if (prefix.empty() || rest.empty() || rest.size() > 6) return false;
    for (unsigned char c : rest)
        if (!std::isdigit(c)) return false;
    number = ToIntDef(rest, 0);
    return true;
}

std::string FieldValue(const Record& record, int field) {
    if (field == 1) return std::to_string(record.seq);
    auto found = record.fields.find(field);
    return found == record.fields.end() ? std::string() : found->second;
}

JoinPlan::JoinPlan(Storage& storage, const schema::TableDef& table, std::string_view aliasList)
    : storage_(storage), table_(table) {
    for (const std::string& entry : ParseCommaText(aliasList)) {
        if (entry.empty()) continue;
        const auto equals = entry.find('=');
        const auto colon = entry.find(':', equals == std::string::npos ? 0 : equals);
        if (equals == std::string::npos || colon == std::string::npos)
            throw RequestError(ErrorCode::Malformed, "Bad alias entry " + entry);
        const std::string alias = entry.substr(0, equals);
        if (!IsLetters(alias) || SameText(alias, "f"))
            throw RequestError(ErrorCode::Malformed, "Bad alias " + alias);
        for (const Join& join : joins_)
            if (SameText(join.alias, alias)) throw RequestError(ErrorCode::Malformed, "Alias used twice: " + alias);
        const schema::TableDef& joined = RequireTable(std::string_view(entry).substr(equals + 1, colon - equals - 1));
        const FieldRef link = Resolve(std::string_view(entry).substr(colon + 1));
        if (link.field == 0) throw RequestError(ErrorCode::Malformed, "Bad alias entry " + entry);
        joins_.push_back({alias, &joined, link});
    }
}

FieldRef JoinPlan::Resolve(std::string_view name) const {
    if (name.empty()) return {};
    std::string_view prefix;
    int number = 0;
    if (SplitFieldName(name, prefix, number)) {
        if (SameText(prefix, "f")) {
            if (table_.HasField(number)) return {-1, number};
        } else {
            for (std::size_t j = 0; j < joins_.size(); ++j)
                if (SameText(joins_[j].alias, prefix) && joins_[j].table->HasField(number))
                    return {static_cast<int>(j), number};
        }
    }
    throw RequestError(ErrorCode::UnknownField, "Unknown field " + std::string(name) + " of " + table_.name);
}

std::vector<FieldRef> JoinPlan::ResolveAll(const std::vector<std::string>& names) const {
    std::vector<FieldRef> refs;
    refs.reserve(names.size());
    for (const std::string& name : names) refs.push_back(Resolve(name));
    return refs;
}

void JoinPlan::Prefetch(const std::vector<Record>& records, const std::vector<FieldRef>& refs) {
    std::vector<bool> needed(joins_.size());
    for (const FieldRef& ref : refs)
        for (int j = ref.field ? ref.join : -1; j >= 0 && !needed[static_cast<std::size_t>(j)];
             j = joins_[static_cast<std::size_t>(j)].link.join)
            needed[static_cast<std::size_t>(j)] = true;
    // A join starts from the record read or an earlier join, so one pass in
    // alias order finds every link of the page.
    std::vector<std::vector<std::int64_t>> linked(joins_.size());
    for (std::size_t j = 0; j < joins_.size(); ++j) {
        if (!needed[j]) continue;
        const Join& join = joins_[j];
        std::vector<const Record*> sources;
        if (join.link.join < 0) {
            for (const Record& record : records) sources.push_back(&record);
        } else {
            const auto from = static_cast<std::size_t>(join.link.join);
            for (std::int64_t seq : linked[from])
                if (const auto cached = cache_.find({joins_[from].table, seq});
                    cached != cache_.end() && cached->second)
                    sources.push_back(&*cached->second);
        }
        std::vector<std::int64_t> missing;
        for (const Record* source : sources) {
            const auto seq = LinkOf(RecordRow(*source), join.link.field);
            if (!seq) continue;
            linked[j].push_back(*seq);
            if (!cache_.count({join.table, *seq})) missing.push_back(*seq);
        }
        std::sort(missing.begin(), missing.end());
        missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
        for (Record& found : storage_.ReadEach(join.table->name, missing))
            cache_[{join.table, found.seq}] = std::move(found);
        for (std::int64_t seq : missing) cache_.try_emplace({join.table, seq}, std::nullopt);
    }
}

bool JoinPlan::NeedsJoins(const std::vector<FieldRef>& refs) const {
    return std::any_of(refs.begin(), refs.end(), [](const FieldRef& ref) { return ref.field && ref.join >= 0; });
}

std::vector<int> JoinPlan::OwnFields(const std::vector<FieldRef>& refs) {
    std::vector<int> fields;
    for (const FieldRef& ref : refs)
        if (ref.field && ref.join < 0) fields.push_back(ref.field);
    return fields;
}

const Record* JoinPlan::Joined(int join, const RowView& row, std::vector<std::optional<const Record*>>& found) {
    auto& slot = found[static_cast<std::size_t>(join)];
    if (slot) return *slot;
    const Join& j = joins_[static_cast<std::size_t>(join)];
    std::optional<std::int64_t> seq;
    if (j.link.join < 0) {
        seq = LinkOf(row, j.link.field);
    } else if (const Record* source = Joined(j.link.join, row, found)) {
        seq = LinkOf(RecordRow(*source), j.link.field);
    }
    const Record* result = nullptr;
    if (seq) {
        auto key = std::make_pair(j.table, *seq);
        auto cached = cache_.find(key);
        if (cached == cache_.end()) cached = cache_.emplace(key, storage_.Read(j.table->name, *seq)).first;
        if (cached->second) result = &*cached->second;
    }
    slot = result;
    return result;
}

void JoinPlan::Values(const RowView& row, const std::vector<FieldRef>& refs,
                      const std::function<void(std::string_view)>& value) {
    std::vector<std::optional<const Record*>> found(joins_.size());
    for (const FieldRef& ref : refs) {
        if (ref.field == 0) {
            value({});
        } else if (ref.field == 1 && ref.join < 0) {
            value(std::to_string(row.Seq()));
        } else if (ref.join < 0) {
            value(row.Field(ref.field));
        } else {
            const Record* source = Joined(ref.join, row, found);
            value(source ? FieldValue(*source, ref.field) : std::string());
        }
    }
}

}  // namespace dalvero::server
