#include "record_batch.h"

#include <algorithm>
#include <cctype>

#include "db_server_connection.h"
#include "frame.h"
#include "record_ops.h"

namespace dalvero {

namespace {

constexpr char kEndOfList[] = "Beginning or end of list";

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

// ---------------------------------------------------------------- cBatchSet

cBatchSet::cBatchSet(std::string table, std::vector<std::string> lines, std::string_view fieldList)
    : Records(std::move(lines)), Table(std::move(table)), FieldNames(ParseCommaText(fieldList)) {
    namedFields_ = static_cast<int>(FieldNames.size());
    if (!Records.empty()) {
        const std::vector<std::string> first = ParseCommaText(Records.front());
        for (std::size_t i = 3 + FieldNames.size(); i < first.size(); ++i)
            FieldNames.push_back(first[i].substr(0, first[i].find(':')));
    }
    for (std::size_t i = 0; i < FieldNames.size(); ++i) FieldIndex.emplace_back(FieldNames[i], static_cast<int>(i));
    std::stable_sort(FieldIndex.begin(), FieldIndex.end(),
                     [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    if (Records.size() == 1 && Records.front() == "0") Records.clear();
    Count = static_cast<int>(Records.size());
}

bool cBatchSet::First() { return Count > 0 && GoTo(0); }

bool cBatchSet::Next() {
    if (Index + 1 < Count) return GoTo(Index + 1);
    Index = std::max(Count - 1, 0);
    GoTo(Index);
    return false;
}

bool cBatchSet::GoTo(int index) {
    if (index < 0 || index >= Count) {
        Index = 0;
        Message = "Invalid index";
        return false;
    }
    Index = index;
    Current.SetCommaText(Records[static_cast<std::size_t>(index)]);
    if (Current.size() < 3) {
        Index = 0;
        RecordNumber = RecordFlag = 0;
        Seq.clear();
        Message = "The record at the index is missing data.";
        return false;
    }
    RecordNumber = ToIntDef(Current[0], 0);
    RecordFlag = ToIntDef(Current[1], 0);
    Seq = Current[2];
    return true;
}

std::string cBatchSet::ReadField(std::string_view name) {
    const int number = ToIntDef(name, 0);
    const std::string field = number != 0 ? "f" + std::to_string(number) : std::string(name);
    const auto found = std::lower_bound(FieldIndex.begin(), FieldIndex.end(), field,
                                        [](const auto& entry, const std::string& key) { return LessNoCase(entry.first, key); });
    if (found == FieldIndex.end() || !SameText(found->first, field)) {
        Message = "Reading a field not in local";
        return {};
    }
    const auto item = static_cast<std::size_t>(found->second) + 3;
    if (item >= Current.size()) {
        Message = "The field is missing in the data list";
        return {};
    }
    std::string value = Current[item];
    // Extra fields arrive as "name:value"; the caller wants the value.
    if (found->second >= namedFields_) value.erase(0, value.find(':') + 1);
    return DecodeLineBreaks(value);
}

CivilDate cBatchSet::ReadDate(std::string_view name) {
    const CivilDate today = Today();
    std::string shown;
    try {
        shown = DateToDisplay(NormalizeDate(ReadField(name), today));
    } catch (const DateConversionError&) {
        // A stored value that is no date shows as no date.
        return {};
    }
    if (shown.empty()) return {};
    return ParseDisplay(shown, today).value_or(CivilDate{});
}

void cBatchSet::Reverse() { std::reverse(Records.begin(), Records.end()); }

// ------------------------------------------------------------- cRecordBatch

void cRecordBatch::EmptySet(std::string message) {
    Set = std::make_unique<cBatchSet>();
    Set->Table = Table;
    Set->Message = std::move(message);
}

bool cRecordBatch::Query(dbServerConnection* connection, std::string_view table, std::string_view index,
                         std::string_view keyFrom, std::string_view keyTo, int start, int maxCount,
                         std::string_view fieldList, std::string_view aliasList, std::string_view filter,
                         std::string_view direction, std::string_view option11, std::string_view option12) {
    if (!connection) return false;
    Connection = connection;
    Table = table;
    Index = index;
    KeyFrom = keyFrom;
    KeyTo = keyTo;
    Start = start;
    MaxCount = maxCount;
    FieldList = fieldList;
    AliasList = aliasList;
    Filter = filter;
    Option11 = option11;
    Option12 = option12 == "Y" || option12 == "D" ? std::string(option12) : "N";
    Direction = direction.empty() ? "F" : std::string(direction);
    Direction[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(Direction[0])));
    if (Direction[0] != 'F' && Direction[0] != 'M') Direction[0] = 'L';
    FirstFetch = true;
    // Forward lists number their records from 1.
    if (Direction[0] == 'F' && KeyTo.empty() && Start == 0) Start = 1;
    Position = 0;
    const bool ok = Fetch();
    if (ok) Valid = true;
    return ok;
}

bool cRecordBatch::Fetch() {
    marksRead_ = false;
    int previous = 0;
    if (Set) {
        previous = Set->Position;
        Set.reset();
    }
    if (FirstFetch) {
        FirstFetch = false;
    } else if (KeyTo.empty() && (Start <= 0 || Start > previous)) {
        EmptySet(kEndOfList);
        return false;
    }

    const std::vector<std::string> request = {"V2",      Table,    Index,     KeyFrom,  KeyTo,
                                              std::to_string(Start), std::to_string(MaxCount),
                                              FieldList, AliasList, Filter,    Direction, Option11, Option12};
    if (!Connection->Exchange(frame::cmd::kQuery, 0, ToCommaText(request))) {
        EmptySet({});
        return false;
    }
    KeyTo.clear();

    std::vector<std::string> reply = Connection->ReplyValues.items();
    bool ok = true;
    if (reply.size() >= 2 && reply[0] == "0") {
        EmptySet({});
        Position = ToIntDef(reply[1], 0);
    } else if (reply.size() >= 2) {
        const std::vector<std::string> header = ParseCommaText(reply[0]);
        if (header.size() < 2) {
            EmptySet("Invalid data from DBServer.");
            return false;
        }
        FirstMark = ToIntDef(header[0], 0);
        SecondMark = ToIntDef(header[1], 0);
        marksRead_ = true;
        reply.erase(reply.begin());
        Position = ToIntDef(reply.back(), 0);
        reply.pop_back();
        // "*" becomes the names of the fields the first record brought, so
        // later pages ask for the same columns.
        if (FieldList == "*" && !reply.empty()) {
            const std::size_t items = ParseCommaText(reply.front()).size();
            if (items > 3) {
                std::vector<std::string> names;
                for (std::size_t n = 1; n <= items - 3; ++n) names.push_back("f" + std::to_string(n));
                FieldList = ToCommaText(names);
            }
        }
        Set = std::make_unique<cBatchSet>(Table, std::move(reply), FieldList);
        Set->First();
    } else {
        EmptySet({});
        ok = Connection->ReplyText == "0";
    }
    Set->Position = Position;
    Set->Message.clear();
    return ok;
}

bool cRecordBatch::Page(int start, Turn turn, bool fromEnd) {
    if (!Valid) return false;
    if (fromEnd) {
        FirstFetch = true;
    } else if (start == 0) {
        // A zero mark: nothing further that way.
        if (Option12 == "Y") return true;
        EmptySet(kEndOfList);
        return false;
    }
    Start = start;
    const std::string saved = Direction;
    char& letter = Direction[0];
    switch (turn) {
    case Turn::kForward:
        if (letter == 'L') letter = 'R';
        break;
    case Turn::kBackward:
        if (letter == 'L') letter = 'F';
        else if (letter != 'M') letter = 'R';
        break;
    case Turn::kLast:
        if (letter == 'L') letter = 'F';
        else if (letter != 'M') letter = 'L';
        break;
    }
    const bool ok = Fetch();
    Direction = saved;
    if (turn != Turn::kForward) {
        Set->Reverse();
        // The reply's marks count from its own end; only new marks turn.
        if (marksRead_) std::swap(FirstMark, SecondMark);
    }
    return ok;
}

bool cRecordBatch::NextPage() { return Page(SecondMark, Turn::kForward, false); }
bool cRecordBatch::StepBack() { return Page(FirstMark, Turn::kForward, false); }
bool cRecordBatch::PriorPage() { return Page(FirstMark, Turn::kBackward, false); }
bool cRecordBatch::StepForward() { return Page(SecondMark, Turn::kBackward, false); }
bool cRecordBatch::FirstPage() { return Page(0, Turn::kForward, true); }
bool cRecordBatch::LastPage() { return Page(0, Turn::kLast, true); }

bool cRecordBatch::QueryDateRange(dbServerConnection* connection, std::string_view table, std::string_view index,
                                  std::string_view keyFrom, int fieldNumber, const CivilDate& fromDate,
                                  const CivilDate& toDate, std::string_view fieldList, std::string_view aliasList,
                                  std::string_view option11, std::string_view filter) {
    StringList conditions;
    conditions.SetCommaText(filter);
    const std::string field = "f" + std::to_string(fieldNumber);
    const std::string from = ToDisplay(fromDate);
    conditions.push_back(field + ">=" + from);
    conditions.push_back(field + "<=" + ToDisplay(toDate));
    return Query(connection, table, index, keyFrom, from, 0, 1000000, fieldList, aliasList, conditions.CommaText(), "F",
                 option11, "D");
}

}  // namespace dalvero
