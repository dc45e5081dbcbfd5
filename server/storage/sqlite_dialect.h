#pragma once
// SQLite's side of the shared statements: numbered "?N" parameters, columns
// that compare without letter case by their NOCASE collation, JSON arrays
// through json_each, AUTOINCREMENT Seqs and the FTS5 text index.

#include "sql_text.h"

namespace dalvero::server {

class SqliteDialect final : public SqlDialect {
public:
    std::string Param(int n) const override;
    std::string Folded(const std::string& expr) const override;
    std::string Unindexed(const std::string& column) const override;
    std::string JsonValues(const std::string& param, bool numbers) const override;
    SqlText Insert(const schema::TableDef& table, const FieldValues& values) const override;
    SqlText HighestSeq(const schema::TableDef& table) const override;
    std::optional<SqlText> SearchText(const schema::TableDef& table, std::string_view words,
                                      int limit) const override;
};

}  // namespace dalvero::server
