#pragma once
// PostgreSQL's side of the shared statements: "$N" parameters, text columns
// in the "C" collation compared through lower() (which then folds ASCII
// letters only, as the client compares), JSON arrays through jsonb, Seqs
// from a counter row that each writing transaction moves on once, as it
// commits (so a rolled back insert gives its Seq back, as SQLite's
// AUTOINCREMENT does, and the audit trail's Seqs stay gapless), and a
// full-text index with prefix terms.
// A B-tree entry holds a few kilobytes at most, so the list indexes hold the
// folded first characters of a value; the whole value decides after them.

#include "sql_text.h"

namespace dalvero::server {

// The counters of the Seqs each table has given out.
inline constexpr char kSeqCounters[] = "dalvero_seqs";

class PostgresDialect final : public SqlDialect {
public:
    std::string Param(int n) const override;
    std::string Folded(const std::string& expr) const override;
    std::string IndexKey(const std::string& expr) const override;
    std::string JsonIndexKeys(const std::string& param) const override;
    std::string Unindexed(const std::string& column) const override;
    std::string JsonValues(const std::string& param, bool numbers) const override;
    SqlText Insert(const schema::TableDef& table, const FieldValues& values) const override;
    SqlText HighestSeq(const schema::TableDef& table) const override;
    std::optional<SqlText> SearchText(const schema::TableDef& table, std::string_view words,
                                      int limit) const override;

    // The text field's search vector, as its index is built on it.
    static std::string TextVector(const schema::TableDef& table, const std::string& prefix = {});
    // An insert under a given Seq (copying a store), and raising a table's
    // counter to at least a given Seq.
    SqlText InsertWithSeq(const schema::TableDef& table, const Record& record) const;
    SqlText RaiseSeq(const schema::TableDef& table, std::int64_t seq) const;
    // Writes the Seqs the open transaction took (Insert, RaiseSeq) to the
    // counter rows; run last, just before COMMIT.
    static std::string KeepTakenSeqs();
};

}  // namespace dalvero::server
