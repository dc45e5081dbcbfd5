#include "store_copy.h"

namespace dalvero::server {

namespace {

// Records read and written at a time.
constexpr std::int64_t kPage = 2000;

void CopyTable(SqlStorage& from, PostgresStorage& to, const schema::TableDef& table) {
    for (std::int64_t after = 0;;) {
        ListRead read;
        read.table = table.name;
        read.where = {{1, CompareOp::AtLeast, std::to_string(after + 1), false}};
        read.limit = kPage;
        const std::vector<Record> page = from.Select(read);
        if (page.empty()) break;
        to.Restore(table.name, page);
        after = page.back().seq;
    }
    to.KeepSeqsUpTo(table.name, from.HighestSeq(table.name));
}

}  // namespace

std::vector<CopiedTable> CopyStore(SqlStorage& from, PostgresStorage& to) {
    if (!to.IsEmpty()) throw StorageError("the PostgreSQL database already holds records");
    std::vector<CopiedTable> copied;
    from.InReadTransaction([&] {
        to.InTransaction([&] {
            for (const schema::TableDef& table : schema::Tables()) CopyTable(from, to, table);
            const std::vector<SqlStorage::FileSlot> files = from.RecordFileSlots();
            for (const SqlStorage::FileSlot& file : files)
                if (const auto content = from.ReadRecordFile(file.table, file.seq, file.slot))
                    to.WriteRecordFile(file.table, file.seq, file.slot, *content);
            for (const schema::TableDef& table : schema::Tables()) {
                const CopiedTable source{table.name, from.Count(table.name, {}), from.HighestSeq(table.name)};
                const CopiedTable target{table.name, to.Count(table.name, {}), to.HighestSeq(table.name)};
                if (source.records != target.records || source.highestSeq != target.highestSeq)
                    throw StorageError(table.name + ": " + std::to_string(target.records) + " records up to Seq " +
                                       std::to_string(target.highestSeq) + " arrived of " +
                                       std::to_string(source.records) + " up to " +
                                       std::to_string(source.highestSeq));
                copied.push_back(source);
            }
            if (to.RecordFileSlots().size() != files.size())
                throw StorageError("not every record file arrived");
        });
    });
    return copied;
}

}  // namespace dalvero::server
