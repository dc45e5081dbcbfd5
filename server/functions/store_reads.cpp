#include "store_reads.h"

#include "command_args.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {

std::string Field(const Record& record, int field) {
    const auto it = record.fields.find(field);
    if (it == record.fields.end() || it->second == catalogue::kEmptyValue) return {};
    return it->second;
}

std::vector<Record> RecordsWhere(Storage& storage, std::string_view table, int field, std::string_view value,
                                 std::vector<Condition> more) {
    ListRead read;
    read.table = std::string(table);
    read.where.push_back({field, CompareOp::Equal, std::string(value), false});
    for (auto& condition : more) read.where.push_back(std::move(condition));
    return storage.Select(read);
}

std::optional<Record> ReadLinked(Storage& storage, std::string_view table, std::string_view seqText) {
    const auto seq = ParseSeq(seqText);
    if (!seq) return std::nullopt;
    return storage.Read(table, *seq);
}

}  // namespace dalvero::server::functions
