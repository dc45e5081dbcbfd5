#pragma once
// Field names of a request ("f10", "P10", "doc13") and the joins of its alias
// list ("P=Patients:f10,hosp=ProviderEntities:doc9"): which record of which
// table each value comes from.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "schema.h"
#include "storage.h"

namespace dalvero::server {

struct FieldRef {
    int join = -1;  // -1: the record read itself; else the join's place in the alias list
    int field = 0;  // 0: no field at all (an empty name gives an empty column)
};

// A record's field as text: the Seq for field 1, empty when not stored.
std::string FieldValue(const Record& record, int field);

// "P10" -> "P" and 10; false unless letters are followed by digits only.
bool SplitFieldName(std::string_view name, std::string_view& prefix, int& number);

class JoinPlan {
public:
    // A join starts from a field of the table read or of an earlier join.
    // Throws RequestError for unreadable entries, unknown tables or fields.
    JoinPlan(Storage& storage, const schema::TableDef& table, std::string_view aliasList);

    // Throws RequestError for a name no table of the plan has.
    FieldRef Resolve(std::string_view name) const;
    std::vector<FieldRef> ResolveAll(const std::vector<std::string>& names) const;

    // Reads the joined records the refs need for a page of records: one
    // read per joined table, however many records the page holds.
    void Prefetch(const std::vector<Record>& records, const std::vector<FieldRef>& refs);

    // Whether the refs name a field of a joined table.
    bool NeedsJoins(const std::vector<FieldRef>& refs) const;
    // The fields the refs name of the table read itself.
    static std::vector<int> OwnFields(const std::vector<FieldRef>& refs);

    // Hands over, in order, the values the refs name for one row of the
    // table read; fields of a join whose link is empty or names no record
    // are empty. The text is valid during the call only.
    void Values(const RowView& row, const std::vector<FieldRef>& refs,
                const std::function<void(std::string_view)>& value);

private:
    struct Join {
        std::string alias;
        const schema::TableDef* table;
        FieldRef link;
    };

    const Record* Joined(int join, const RowView& row, std::vector<std::optional<const Record*>>& found);

    Storage& storage_;
    const schema::TableDef& table_;
    std::vector<Join> joins_;
    // Records read for this request, by table and Seq (nullopt: not there).
    std::map<std::pair<const schema::TableDef*, std::int64_t>, std::optional<Record>> cache_;
};

}  // namespace dalvero::server
