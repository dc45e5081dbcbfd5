#include "list_query.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "filters.h"
#include "join_plan.h"
#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"
#include "whole_number.h"

namespace dalvero::server {

using schema::ListDef;
using schema::TableDef;

namespace {

// What one query may cost: the fields it asks for (every table has fewer,
// notes included), the rows of a page (the client's largest list asks for
// 10,000) and the reply's size, beyond which the page ends early and the
// client pages on from its marks. Without them a 48 KB request naming one
// field thousands of times built replies of hundreds of megabytes.
constexpr std::size_t kMaxFields = 256;
constexpr std::int64_t kMaxPageRows = 10'000;
constexpr std::size_t kMaxReplyBytes = 8u << 20;

// The request items, in the order the client writes them.
enum Item : std::size_t {
    kVersion, kTable, kIndex, kKeyFrom, kKeyTo, kStart, kMaxCount,
    kFieldList, kAliasList, kFilter, kDirection, kOption11, kOption12, kItemCount
};

// Start and record count are 32-bit on the client; anything wider is no
// request of it (and would overflow the position arithmetic).
std::int64_t Whole(const std::string& text, const char* what) {
    const auto value = ParseWholeNumber(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        throw RequestError(ErrorCode::Malformed, std::string("Bad ") + what + ": " + text);
    return *value;
}

// "F" (and the client's "M") read forward; "L" and "R" backward.
bool IsBackward(std::string_view direction) {
    const char first =
        direction.empty() ? 'F' : static_cast<char>(std::toupper(static_cast<unsigned char>(direction[0])));
    if (first == 'F' || first == 'M') return false;
    if (first == 'L' || first == 'R') return true;
    throw RequestError(ErrorCode::Malformed, "Bad direction: " + std::string(direction));
}

std::vector<std::string> FieldNames(const TableDef& table, const std::string& fieldList) {
    if (fieldList != "*") return ParseCommaText(fieldList);
    std::vector<std::string> names;
    for (int field = 1; field <= table.lastField; ++field) names.push_back("f" + std::to_string(field));
    return names;
}

// Position of the first member at or after the key in list order (count + 1
// when there is none).
std::int64_t KeyPosition(Storage& storage, const TableDef& table, const ListDef& list,
                         std::vector<Condition> where, std::int64_t count, const std::string& key, bool dates) {
    Condition atOrAfter{list.PositionField(), list.descending ? CompareOp::AtMost : CompareOp::AtLeast, key, false};
    if (atOrAfter.field == 1) ParseSeq(key);
    if (dates && key.find('/') != std::string::npos) {
        atOrAfter.value = DateBound(key);
        atOrAfter.asDate = true;
    }
    where.push_back(std::move(atOrAfter));
    return count - storage.Count(table.name, where) + 1;
}

// Writes a page's rows into the reply as they are read: each row's comma
// text into one reused line, and the line as one item of the reply.
class PageWriter {
public:
    PageWriter(JoinPlan& plan, const std::vector<FieldRef>& refs, std::int64_t from, std::int64_t step)
        : plan_(plan), refs_(refs), from_(from), step_(step), position_(from) {}

    // False once the reply is full; it always takes one row, so paging moves on.
    bool Add(const RowView& row) {
        if (body_.size() > kMaxReplyBytes) return false;
        line_ = std::to_string(position_);
        line_ += ",0,";
        line_ += std::to_string(row.Seq());
        plan_.Values(row, refs_, [this](std::string_view value) {
            line_ += ',';
            AppendCommaItem(line_, value);
        });
        body_ += ',';
        AppendCommaItem(body_, line_);
        position_ += step_;
        return true;
    }

    std::string Reply(std::int64_t count) {
        if (position_ == from_) return ToCommaText({"0", std::to_string(count)});
        auto mark = [count](std::int64_t at) { return at < 1 || at > count ? 0 : at; };
        std::string reply;
        reply.reserve(body_.size() + 48);
        AppendCommaItem(reply, ToCommaText({std::to_string(mark(from_ - step_)), std::to_string(mark(position_))}));
        reply += body_;
        reply += ',';
        reply += std::to_string(count);
        return reply;
    }

private:
    JoinPlan& plan_;
    const std::vector<FieldRef>& refs_;
    const std::int64_t from_;
    const std::int64_t step_;
    std::int64_t position_;
    std::string line_;
    std::string body_;  // the rows, each after a comma
};

std::string AnswerQuery(Storage& storage, std::string_view payload) {
    std::vector<std::string> items = ParseCommaText(payload);
    if (items.size() < kFieldList || items.size() > kItemCount || items[kVersion] != "V2")
        throw RequestError(ErrorCode::Malformed, "Unreadable query");
    items.resize(kItemCount);

    const TableDef& table = RequireTable(items[kTable]);
    const ListDef& list = RequireList(table, items[kIndex]);
    const std::int64_t start = Whole(items[kStart], "start");
    const std::int64_t maxCount = std::min(Whole(items[kMaxCount], "record count"), kMaxPageRows);
    const bool backward = IsBackward(items[kDirection]);
    const bool dates = SameText(items[kOption12], "D");
    JoinPlan plan(storage, table, items[kAliasList]);
    const std::vector<std::string> names = FieldNames(table, items[kFieldList]);
    if (names.size() > kMaxFields)
        throw RequestError(ErrorCode::Malformed, "Too many fields: " + std::to_string(names.size()) + " (at most " +
                                                     std::to_string(kMaxFields) + ")");
    const std::vector<FieldRef> refs = plan.ResolveAll(names);

    std::vector<Condition> where = MemberConditions(list, items[kKeyFrom]);
    for (Condition& condition : ParseFilter(table, items[kFilter], dates)) where.push_back(std::move(condition));
    const std::int64_t count = storage.Count(table.name, where);

    const bool positioned = !items[kKeyTo].empty();
    std::int64_t from = start;
    if (positioned) from += KeyPosition(storage, table, list, where, count, items[kKeyTo], dates);
    if (!backward)
        from = std::max<std::int64_t>(from, 1);
    else if ((!positioned && from <= 0) || from > count)
        from = count;

    PageWriter page(plan, refs, from, backward ? -1 : 1);
    if (maxCount > 0 && from >= 1 && from <= count) {
        ListRead read;
        read.table = table.name;
        read.where = std::move(where);
        read.orderBy = list.orderBy;
        read.descending = list.descending;
        read.backward = backward;
        read.offset = backward ? count - from : from - 1;
        read.limit = maxCount;
        if (plan.NeedsJoins(refs)) {
            // The joined records are read per page, before any row is written.
            const std::vector<Record> records = storage.Select(read);
            plan.Prefetch(records, refs);
            for (const Record& record : records)
                if (!page.Add(RecordRow(record))) break;
        } else {
            storage.SelectEach(read, JoinPlan::OwnFields(refs), [&page](const RowView& row) { return page.Add(row); });
        }
    }
    return page.Reply(count);
}

}  // namespace

std::string HandleQuery(Storage& storage, std::string_view payload) {
    std::string reply;
    // The count, the page and its joined records all come from one snapshot.
    storage.InReadTransaction([&] { reply = AnswerQuery(storage, payload); });
    return reply;
}

}  // namespace dalvero::server
