#pragma once
// List queries on the DataServer: a cRecordBatch sends one query and pages
// through the list; its cBatchSet holds the records of the last reply and
// reads their fields by name ("f10", "P10", or a bare number).

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "date_text.h"
#include "string_list.h"

namespace dalvero {

// Lists read forward, in the server's list order.
inline constexpr char kReadForward[] = "F";
// A page large enough that a case's own lists arrive whole in one reply.
inline constexpr int kWholeListPage = 1000;

class dbServerConnection;

class cBatchSet {
public:
    // An empty set.
    cBatchSet() = default;
    // A set of record lines whose fields are named by fieldList (comma text);
    // extra "name:value" items the server appended are named too.
    cBatchSet(std::string table, std::vector<std::string> lines, std::string_view fieldList);

    bool First();
    // Past the last record: stays on the last one and gives false.
    bool Next();
    bool GoTo(int index);
    int RecordIndex() const { return Index; }
    // Value of a field of the current record, "||" read back as CR LF;
    // empty (with Message set) when the set has no such field.
    std::string ReadField(std::string_view name);
    std::string ReadField(int fieldNumber) { return ReadField(std::to_string(fieldNumber)); }
    // The field as a date; the null date when it is empty or no date.
    CivilDate ReadDate(std::string_view name);
    CivilDate ReadDate(int fieldNumber) { return ReadDate(std::to_string(fieldNumber)); }
    // Turns the record order around (a backward page shown forward).
    void Reverse();

    std::vector<std::string> Records;
    int Index = 0;
    StringList Current;
    std::string Table;
    // Field names sorted without regard to case, each with its column.
    std::vector<std::pair<std::string, int>> FieldIndex;
    std::vector<std::string> FieldNames;
    int Count = 0;
    int Position = 0;
    int RecordNumber = 0;
    std::string Seq;
    int RecordFlag = 0;
    std::string Message;

private:
    // Columns from here on are extra fields whose items carry "name:".
    int namedFields_ = 0;
};

class cRecordBatch {
public:
    cRecordBatch() = default;
    cRecordBatch(const cRecordBatch&) = delete;
    cRecordBatch& operator=(const cRecordBatch&) = delete;

    // Reads up to maxCount records of table through the server list index
    // from keyFrom on. False without a connection, on a failed exchange or an
    // unusable reply; Set->Message then says why.
    bool Query(dbServerConnection* connection, std::string_view table, std::string_view index,
               std::string_view keyFrom, std::string_view keyTo, int start, int maxCount, std::string_view fieldList,
               std::string_view aliasList, std::string_view filter, std::string_view direction,
               std::string_view option11 = {}, std::string_view option12 = {});
    // A Query of the records whose field fieldNumber lies from one date to
    // another, added to filter.
    bool QueryDateRange(dbServerConnection* connection, std::string_view table, std::string_view index,
                        std::string_view keyFrom, int fieldNumber, const CivilDate& fromDate,
                        const CivilDate& toDate, std::string_view fieldList, std::string_view aliasList,
                        std::string_view option11, std::string_view filter);

    // Neighbouring pages with the same query; false before a successful
    // Query. The backward ones return their records in the list's order.
    bool NextPage();
    bool PriorPage();
    bool StepBack();
    bool StepForward();
    bool FirstPage();
    bool LastPage();

    std::unique_ptr<cBatchSet> Set;
    int FirstMark = 0;
    bool Valid = false;
    dbServerConnection* Connection = nullptr;
    std::string Table;
    std::string Index;
    std::string KeyFrom;
    std::string KeyTo;
    int Start = 0;
    int MaxCount = 0;
    std::string FieldList;
    std::string AliasList;
    std::string Filter;
    std::string Direction;
    std::string Option11;
    std::string Option12;
    int Position = 0;
    bool FirstFetch = false;
    int SecondMark = 0;

private:
    enum class Turn { kForward, kBackward, kLast };
    bool Fetch();
    // A fetch from start with Direction turned for this fetch only; backward
    // fetches are reversed into list order. fromEnd: a fresh read from one
    // end of the list; otherwise start is a mark, and 0 means nothing more.
    bool Page(int start, Turn turn, bool fromEnd);
    void EmptySet(std::string message);

    bool marksRead_ = false;  // the last fetch's reply carried new marks
};

// Hands every record of the batch's list to each, page after page; false
// when a page fails, or brings nothing while the list says more follow
// (which would never end).
template <class Each>
bool ForEachRecord(cRecordBatch& batch, Each each) {
    int read = 0;
    for (;;) {
        cBatchSet& set = *batch.Set;
        if (set.First()) {
            do {
                each(set);
                ++read;
            } while (set.Next());
        }
        if (read >= set.Position || batch.SecondMark == 0) return true;
        if (!batch.NextPage() || batch.Set->Count == 0) return false;
    }
}

}  // namespace dalvero
