#pragma once
// Copying a whole store into an empty PostgreSQL database: every record
// under its own Seq with its notes, every record file, and each table's
// count of Seqs given out, so that links, sessions and the audit trail's
// chain and anchors hold as before.

#include <cstdint>
#include <string>
#include <vector>

#include "postgres_storage.h"

namespace dalvero::server {

struct CopiedTable {
    std::string table;
    std::int64_t records = 0;
    std::int64_t highestSeq = 0;
};

// Copies `from` into `to` in one transaction of `to`, reading `from` on one
// snapshot, then checks that every table holds as many records and has
// given out as many Seqs on both sides, and that as many files came over.
// Throws StorageError when `to` is not empty, a write fails or a check does
// not hold (then nothing of the copy stays).
std::vector<CopiedTable> CopyStore(SqlStorage& from, PostgresStorage& to);

}  // namespace dalvero::server
