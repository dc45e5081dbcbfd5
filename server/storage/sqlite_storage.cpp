#include "sqlite_storage.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <variant>

#include "schema.h"
#include "sqlite_connection.h"
#include "sqlite_schema.h"
#include "whole_number.h"
#include "write_queue.h"

namespace dalvero::server {

using schema::TableDef;

namespace {

// The connection each thread holds of each storage, so that the calls made
// inside a transaction run in it.
struct ActiveConnection {
    const SqliteStorage* owner;
    SqliteConnection* connection;
};
thread_local std::vector<ActiveConnection> tActive;

// How often a connection going back to the pool refreshes the planner's
// statistics.
constexpr auto kOptimizeEvery = std::chrono::hours(1);

const TableDef& RequireTable(std::string_view name) {
    const TableDef* table = schema::FindTable(name);
    if (!table) throw StorageError("unknown table " + std::string(name));
    return *table;
}

void RequireWritable(const TableDef& table, const FieldValues& values) {
    for (const auto& [field, value] : values) {
        if (field == 1) throw StorageError("the Seq of a record cannot be written");
        if (!table.HasField(field))
            throw StorageError("unknown field f" + std::to_string(field) + " of " + table.name);
    }
}

bool IsNote(int field) { return field > 1000; }

std::int64_t ParseSeq(std::string_view text) {
    if (auto value = ParseWholeNumber(text)) return *value;
    throw StorageError("not a sequence number: " + std::string(text));
}

// A condition's field, checked: notes cannot take part in conditions or order.
std::string ConditionColumn(const TableDef& table, int field) {
    if (field < 1 || field > table.lastField)
        throw StorageError("field f" + std::to_string(field) + " of " + table.name + " cannot be compared");
    return ColumnName(field);
}

std::string EscapeLike(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '%' || c == '_' || c == '\\') out += '\\';
        out += c;
    }
    return out + '%';
}

// A JSON array of the values, for "IN (SELECT value FROM json_each(?))": one
// statement and one bound parameter whatever the number of values.
std::string JsonArray(const std::vector<std::string>& values) {
    std::string json = "[";
    for (const std::string& value : values) {
        json += json.size() > 1 ? ",\"" : "\"";
        for (unsigned char c : value) {
            if (c == '"' || c == '\\') {
                json += '\\';
                json += static_cast<char>(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                json += escaped;
            } else {
                json += static_cast<char>(c);
            }
        }
        json += '"';
    }
    return json + "]";
}

std::string JsonArray(const std::vector<std::int64_t>& values) {
    std::string json = "[";
    for (std::int64_t value : values) json += (json.size() > 1 ? "," : "") + std::to_string(value);
    return json + "]";
}

// The values of a OneOf condition as they compare: Seqs as numbers, dates by
// their date part.
std::string OneOfList(const Condition& condition) {
    if (condition.field == 1) {
        std::vector<std::int64_t> seqs;
        seqs.reserve(condition.values.size());
        for (const std::string& value : condition.values) seqs.push_back(ParseSeq(value));
        return JsonArray(seqs);
    }
    if (!condition.asDate) return JsonArray(condition.values);
    std::vector<std::string> dates;
    dates.reserve(condition.values.size());
    for (const std::string& value : condition.values) dates.push_back(value.substr(0, 8));
    return JsonArray(dates);
}

constexpr char kWhere[] = " WHERE ";

// WHERE text for the conditions, with the values to bind in order. Values are
// never part of the SQL text.
struct Where {
    std::string sql;
    std::vector<std::variant<std::string, std::int64_t>> values;  // Seqs bind as numbers

    void BindTo(Statement& statement, int& index) const {
        for (const auto& value : values)
            std::visit([&](const auto& v) { statement.Bind(index++, v); }, value);
    }
};

// With indexed false the conditions leave the choice of index to another
// term (a unary "+" keeps a column's collation but hides it from indexes).
Where BuildWhere(const TableDef& table, const std::vector<Condition>& conditions, bool indexed = true) {
    Where where;
    for (const Condition& condition : conditions) {
        std::string column = (indexed ? "" : "+") + ConditionColumn(table, condition.field);
        const bool seqValue = condition.field == 1 && condition.op != CompareOp::StartsWith;
        std::string value = condition.value;
        if (condition.asDate && condition.field != 1) {
            column = "substr(" + column + ", 1, 8)";
            value = value.substr(0, 8);
        }
        if (condition.op == CompareOp::OneOf) {
            where.sql += (where.sql.empty() ? kWhere : " AND ") + column + " IN (SELECT value FROM json_each(?))";
            where.values.emplace_back(OneOfList(condition));
            continue;
        }
        std::string op;
        switch (condition.op) {
            case CompareOp::Equal: op = " = ?"; break;
            case CompareOp::NotEqual: op = " <> ?"; break;
            case CompareOp::AtLeast: op = " >= ?"; break;
            case CompareOp::AtMost: op = " <= ?"; break;
            case CompareOp::StartsWith:
                op = " LIKE ? ESCAPE '\\'";
                value = EscapeLike(value);
                break;
            case CompareOp::OneOf: break;
        }
        where.sql += (where.sql.empty() ? kWhere : " AND ") + column + op;
        if (seqValue)
            where.values.emplace_back(ParseSeq(value));
        else
            where.values.emplace_back(std::move(value));
    }
    return where;
}

std::string OrderBy(const TableDef& table, const ListRead& read) {
    const bool descending = read.descending != read.backward;
    const std::string direction = descending ? " DESC" : "";
    std::string sql;
    for (int field : read.orderBy) {
        if (field == 1) continue;  // the Seq closes every order anyway
        sql += (sql.empty() ? " ORDER BY " : ", ") + ConditionColumn(table, field) + direction;
    }
    return sql + (sql.empty() ? " ORDER BY " : ", ") + "seq" + direction;
}

std::string SelectColumns(const TableDef& table, const std::string& prefix = {}) {
    std::string columns = prefix + "seq";
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field)
        columns += ", " + prefix + ColumnName(field);
    return columns;
}

// A row selected with SelectColumns; the notes are read apart.
Record ReadRow(const TableDef& table, const Statement& row) {
    Record record;
    record.seq = row.Int(0);
    // Fields come in ascending order, so each goes in at the end; most of a
    // record's fields are empty and cost nothing.
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field) {
        const std::string_view value = row.View(field - 1);
        if (!value.empty()) record.fields.emplace_hint(record.fields.end(), field, value);
    }
    return record;
}

// The notes of all the records in one statement.
void ReadNotes(SqliteConnection& connection, const TableDef& table, std::vector<Record>& records) {
    if (records.empty()) return;
    std::vector<std::int64_t> seqs;
    std::map<std::int64_t, Record*> bySeq;
    for (Record& record : records) {
        seqs.push_back(record.seq);
        bySeq[record.seq] = &record;
    }
    Statement notes = connection.Prepare(std::string("SELECT seq, num, text FROM ") + kNotesTable +
                                         " WHERE tbl = ? AND seq IN (SELECT value FROM json_each(?))");
    notes.Bind(1, table.name).Bind(2, JsonArray(seqs));
    while (notes.Step())
        if (const auto found = bySeq.find(notes.Int(0)); found != bySeq.end())
            found->second->fields.emplace(static_cast<int>(notes.Int(1)), notes.Text(2));
}

std::vector<Record> ReadRows(SqliteConnection& connection, const TableDef& table, Statement& rows) {
    std::vector<Record> records;
    while (rows.Step()) records.push_back(ReadRow(table, rows));
    ReadNotes(connection, table, records);
    return records;
}

void WriteNotes(SqliteConnection& connection, const TableDef& table, std::int64_t seq, const FieldValues& values) {
    for (const auto& [field, value] : values) {
        if (!IsNote(field)) continue;
        Statement write = connection.Prepare(
            value.empty() ? std::string("DELETE FROM ") + kNotesTable + " WHERE tbl = ? AND seq = ? AND num = ?"
                          : std::string("INSERT OR REPLACE INTO ") + kNotesTable +
                                " (tbl, seq, num, text) VALUES (?, ?, ?, ?)");
        write.Bind(1, table.name).Bind(2, seq).Bind(3, std::int64_t{field});
        if (!value.empty()) write.Bind(4, value);
        write.Run();
    }
}

// The INSERT of a whole record, built once per table.
const std::string& InsertSql(const TableDef& table) {
    static const std::map<const TableDef*, std::string> kSql = [] {
        std::map<const TableDef*, std::string> sql;
        for (const TableDef& def : schema::Tables()) {
            std::string placeholders;
            for (int field = schema::kFirstRecordKeeping; field <= def.lastField; ++field)
                placeholders += field == schema::kFirstRecordKeeping ? "?" : ", ?";
            sql[&def] = "INSERT INTO " + QuotedName(def.name) + " (" + FieldColumns(def) + ") VALUES (" +
                        placeholders + ")";
        }
        return sql;
    }();
    return kSql.at(&table);
}

bool RecordExists(SqliteConnection& connection, const TableDef& table, std::int64_t seq) {
    Statement query = connection.Prepare("SELECT 1 FROM " + QuotedName(table.name) + " WHERE seq = ?");
    query.Bind(1, seq);
    return query.Step();
}

// Words for a full-text match: letters and digits (any byte above ASCII
// counts as a letter); each becomes a quoted prefix term, so no user text is
// read as query syntax.
std::string TextQuery(std::string_view words) {
    std::string query, word;
    auto flush = [&] {
        if (word.empty()) return;
        query += (query.empty() ? "\"" : " \"") + word + "\"*";
        word.clear();
    };
    for (unsigned char c : words) {
        if (std::isalnum(c) || c >= 0x80)
            word += static_cast<char>(c);
        else
            flush();
    }
    flush();
    return query;
}

}  // namespace

class SqliteStorage::Lease {
public:
    explicit Lease(SqliteStorage& storage) : storage_(storage) {
        for (const ActiveConnection& active : tActive) {
            if (active.owner == &storage) {
                connection_ = active.connection;
                return;
            }
        }
        owned_ = storage.Acquire();
        connection_ = owned_.get();
        tActive.push_back({&storage, connection_});
    }
    ~Lease() {
        if (!owned_) return;
        std::erase_if(tActive, [this](const ActiveConnection& a) { return a.connection == connection_; });
        storage_.Release(std::move(owned_));
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    SqliteConnection& operator*() const { return *connection_; }

private:
    SqliteStorage& storage_;
    std::unique_ptr<SqliteConnection> owned_;
    SqliteConnection* connection_ = nullptr;
};

SqliteStorage::SqliteStorage(std::string path) : path_(std::move(path)) {
    writer_ = std::make_unique<SqliteConnection>(path_);
    ApplySchema(*writer_);
    // Without statistics the planner may walk a whole hospital's cases to
    // find one patient's; a store that never had them gets them now.
    if (!writer_->Prepare("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_stat1'").Step()) writer_->Execute("ANALYZE");
    lastOptimized_ = std::chrono::steady_clock::now();
    // Calls made inside a queued transaction run on the write connection.
    writes_ = std::make_unique<WriteQueue>(*writer_, [this] { tActive.push_back({this, writer_.get()}); });
}

void SqliteStorage::Analyze() {
    InTransaction([this] { writer_->Execute("ANALYZE"); });
}

SqliteStorage::~SqliteStorage() = default;

std::unique_ptr<SqliteConnection> SqliteStorage::Acquire() {
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            auto connection = std::move(idle_.back());
            idle_.pop_back();
            return connection;
        }
    }
    auto connection = std::make_unique<SqliteConnection>(path_);
    // A write that bypassed the queue would fail here rather than wait on
    // the write lock.
    connection->Execute("PRAGMA query_only=1");
    return connection;
}

void SqliteStorage::Release(std::unique_ptr<SqliteConnection> connection) {
    std::unique_lock lock(poolMutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastOptimized_ >= kOptimizeEvery) {
        lastOptimized_ = now;
        lock.unlock();
        // Statistics follow the data as it grows. They are written, so on
        // the write connection; the limit keeps a large table's analysis
        // short, and a failure simply tries again next time.
        try {
            InTransaction([this] { writer_->Execute("PRAGMA analysis_limit=1000; ANALYZE; PRAGMA analysis_limit=0;"); });
        } catch (const StorageError&) {
        }
        lock.lock();
    }
    idle_.push_back(std::move(connection));
}

bool SqliteStorage::HasTable(std::string_view table) const { return schema::FindTable(table) != nullptr; }

bool SqliteStorage::HasField(std::string_view table, int field) const {
    const TableDef* def = schema::FindTable(table);
    return def && def->HasField(field);
}

std::int64_t SqliteStorage::Add(std::string_view table, const FieldValues& values) {
    const TableDef& def = RequireTable(table);
    RequireWritable(def, values);
    std::int64_t seq = 0;
    // A record without notes is one INSERT, which lands whole or not at all:
    // inside a transaction it needs no savepoint of its own (an audit batch
    // adds thousands of rows).
    const bool oneStatement = std::none_of(values.begin(), values.end(), [](const auto& v) { return IsNote(v.first); });
    Write(oneStatement, [&] {
        Lease lease(*this);
        Statement insert = (*lease).Prepare(InsertSql(def));
        for (int field = schema::kFirstRecordKeeping; field <= def.lastField; ++field) {
            auto found = values.find(field);
            insert.Bind(field - 1, found == values.end() ? std::string_view() : std::string_view(found->second));
        }
        insert.Run();
        seq = (*lease).LastInsertId();
        WriteNotes(*lease, def, seq, values);
    });
    return seq;
}

bool SqliteStorage::Update(std::string_view table, std::int64_t seq, const FieldValues& values) {
    const TableDef& def = RequireTable(table);
    RequireWritable(def, values);
    bool found = false;
    InTransaction([&] {
        Lease lease(*this);
        if (!RecordExists(*lease, def, seq)) return;
        found = true;
        std::string assignments;
        for (const auto& [field, value] : values)
            if (!IsNote(field)) assignments += (assignments.empty() ? "" : ", ") + ColumnName(field) + " = ?";
        if (!assignments.empty()) {
            Statement update =
                (*lease).Prepare("UPDATE " + QuotedName(def.name) + " SET " + assignments + " WHERE seq = ?");
            int index = 1;
            for (const auto& [field, value] : values)
                if (!IsNote(field)) update.Bind(index++, value);
            update.Bind(index, seq).Run();
        }
        WriteNotes(*lease, def, seq, values);
    });
    return found;
}

bool SqliteStorage::Remove(std::string_view table, std::int64_t seq) {
    const TableDef& def = RequireTable(table);
    bool found = false;
    InTransaction([&] {
        Lease lease(*this);
        if (!RecordExists(*lease, def, seq)) return;
        found = true;
        (*lease).Prepare("DELETE FROM " + QuotedName(def.name) + " WHERE seq = ?").Bind(1, seq).Run();
        for (const char* beside : {kNotesTable, kFilesTable})
            (*lease)
                .Prepare(std::string("DELETE FROM ") + beside + " WHERE tbl = ? AND seq = ?")
                .Bind(1, def.name)
                .Bind(2, seq)
                .Run();
    });
    return found;
}

std::optional<Record> SqliteStorage::Read(std::string_view table, std::int64_t seq) {
    const TableDef& def = RequireTable(table);
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT " + SelectColumns(def) + " FROM " + QuotedName(def.name) +
                                       " WHERE seq = ?");
    query.Bind(1, seq);
    std::vector<Record> records = ReadRows(*lease, def, query);
    if (records.empty()) return std::nullopt;
    return std::move(records.front());
}

std::vector<Record> SqliteStorage::ReadEach(std::string_view table, const std::vector<std::int64_t>& seqs) {
    const TableDef& def = RequireTable(table);
    if (seqs.empty()) return {};
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT " + SelectColumns(def) + " FROM " + QuotedName(def.name) +
                                       " WHERE seq IN (SELECT value FROM json_each(?)) ORDER BY seq");
    query.Bind(1, JsonArray(seqs));
    return ReadRows(*lease, def, query);
}

std::map<std::string, std::int64_t> SqliteStorage::CountEach(std::string_view table, int field,
                                                              const std::vector<std::string>& values,
                                                              const std::vector<Condition>& where) {
    const TableDef& def = RequireTable(table);
    const std::string column = ConditionColumn(def, field);
    if (values.empty()) return {};
    // The looked-up values pick the index; the other terms only filter.
    const Where built = BuildWhere(def, where, false);
    Lease lease(*this);
    const std::string more = built.sql.empty() ? "" : " AND " + built.sql.substr(sizeof kWhere - 1);
    Statement query = (*lease).Prepare("SELECT " + column + ", count(*) FROM " + QuotedName(def.name) + kWhere +
                                       column + " IN (SELECT value FROM json_each(?))" + more + " GROUP BY " + column);
    int index = 1;
    query.Bind(index++, JsonArray(values));
    built.BindTo(query, index);
    std::map<std::string, std::int64_t> counts;
    while (query.Step()) counts[query.Text(0)] = query.Int(1);
    return counts;
}

std::int64_t SqliteStorage::Count(std::string_view table, const std::vector<Condition>& where) {
    const TableDef& def = RequireTable(table);
    const Where built = BuildWhere(def, where);
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT count(*) FROM " + QuotedName(def.name) + built.sql);
    int index = 1;
    built.BindTo(query, index);
    query.Step();
    return query.Int(0);
}

std::int64_t SqliteStorage::HighestSeq(std::string_view table) {
    const TableDef& def = RequireTable(table);
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT seq FROM sqlite_sequence WHERE name = ?");
    query.Bind(1, def.name);
    return query.Step() ? query.Int(0) : 0;
}

std::vector<Record> SqliteStorage::Select(const ListRead& read) {
    const TableDef& def = RequireTable(read.table);
    const Where built = BuildWhere(def, read.where);
    const std::string order = OrderBy(def, read);
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT " + SelectColumns(def) + " FROM " + QuotedName(def.name) +
                                       built.sql + order + " LIMIT ? OFFSET ?");
    int index = 1;
    built.BindTo(query, index);
    query.Bind(index++, read.limit < 0 ? std::int64_t{-1} : read.limit);
    query.Bind(index, std::max<std::int64_t>(read.offset, 0));
    return ReadRows(*lease, def, query);
}

std::vector<Record> SqliteStorage::SearchText(std::string_view table, int field, std::string_view words,
                                              int limit) {
    const TableDef& def = RequireTable(table);
    if (field != def.textSearchField || field == 0)
        throw StorageError("field f" + std::to_string(field) + " of " + def.name + " has no text index");
    const std::string match = TextQuery(words);
    if (match.empty()) return {};
    const std::string index = QuotedName(TextIndexName(def));
    Lease lease(*this);
    Statement query = (*lease).Prepare("SELECT " + SelectColumns(def, "t.") + " FROM " + index + " JOIN " +
                                       QuotedName(def.name) + " t ON t.seq = " + index + ".rowid WHERE " + index +
                                       " MATCH ? ORDER BY " + index + ".rank, t.seq LIMIT ?");
    query.Bind(1, match).Bind(2, std::int64_t{limit < 0 ? -1 : limit});
    return ReadRows(*lease, def, query);
}

std::optional<Storage::StoredFile> SqliteStorage::ReadRecordFile(std::string_view table, std::int64_t seq,
                                                                  int slot) {
    const TableDef& def = RequireTable(table);
    Lease lease(*this);
    Statement query = (*lease).Prepare(std::string("SELECT content, file_date FROM ") + kFilesTable +
                                       " WHERE tbl = ? AND seq = ? AND slot = ?");
    query.Bind(1, def.name).Bind(2, seq).Bind(3, std::int64_t{slot});
    if (!query.Step()) return std::nullopt;
    return StoredFile{query.Text(0), static_cast<std::int32_t>(query.Int(1))};
}

void SqliteStorage::WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) {
    const TableDef& def = RequireTable(table);
    InTransaction([&] {
        Lease lease(*this);
        if (!RecordExists(*lease, def, seq)) throw StorageError("no record " + std::to_string(seq) + " in " + def.name);
        (*lease)
            .Prepare(std::string("INSERT OR REPLACE INTO ") + kFilesTable +
                     " (tbl, seq, slot, file_date, content) VALUES (?, ?, ?, ?, ?)")
            .Bind(1, def.name)
            .Bind(2, seq)
            .Bind(3, std::int64_t{slot})
            .Bind(4, std::int64_t{file.fileDate})
            .BindBlob(5, file.content)
            .Run();
    });
}

Storage::RecordFileBytes SqliteStorage::OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) {
    const TableDef& def = RequireTable(table);
    Lease lease(*this);
    Statement query = (*lease).Prepare(
        std::string("SELECT COALESCE(SUM(CASE WHEN tbl = ?1 AND seq = ?2 THEN length(content) END), 0), "
                    "COALESCE(SUM(length(content)), 0) FROM ") +
        kFilesTable + " WHERE NOT (tbl = ?1 AND seq = ?2 AND slot = ?3)");
    query.Bind(1, def.name).Bind(2, seq).Bind(3, std::int64_t{slot});
    query.Step();
    return {static_cast<std::uint64_t>(query.Int(0)), static_cast<std::uint64_t>(query.Int(1))};
}

void SqliteStorage::InTransaction(const std::function<void()>& fn) { Write(false, fn); }

void SqliteStorage::Write(bool oneStatement, const std::function<void()>& fn) {
    for (const ActiveConnection& active : tActive) {
        if (active.owner != this) continue;
        // A write cannot join a read snapshot: another writer may have moved
        // on since it was taken.
        if (active.connection->readOnly) throw StorageError("a write inside a read transaction");
        if (active.connection == writer_.get()) {
            // Already inside a queued transaction, on the writer thread.
            if (oneStatement)
                fn();
            else
                writer_->InSavepoint(fn);
            return;
        }
    }
    writes_->Run(fn);
}

void SqliteStorage::InReadTransaction(const std::function<void()>& fn) {
    Lease lease(*this);
    SqliteConnection& connection = *lease;
    // Inside a snapshot already, or inside a queued write transaction, which
    // sees one state of the store too.
    if (connection.transactionDepth > 0 || connection.InTransaction()) return fn();
    connection.Run("BEGIN");
    ++connection.transactionDepth;
    connection.readOnly = true;
    auto end = [&connection] {
        connection.readOnly = false;
        --connection.transactionDepth;
        connection.Rollback();  // nothing was written: ending it is all there is to do
    };
    try {
        fn();
    } catch (...) {
        end();
        throw;
    }
    end();
}

}  // namespace dalvero::server
