#include "sql_storage.h"

#include <algorithm>
#include <map>

namespace dalvero::server {

using schema::RequireTable;
using schema::TableDef;

namespace {

void RequireWritable(const TableDef& table, const FieldValues& values) {
    for (const auto& [field, value] : values) {
        if (field == 1) throw StorageError("the Seq of a record cannot be written");
        if (!table.HasField(field))
            throw StorageError("unknown field f" + std::to_string(field) + " of " + table.name);
    }
}

// A row selected with SelectColumns; the notes are read apart.
Record ReadRow(const TableDef& table, const SqlRows& row) {
    Record record;
    record.seq = row.Int(0);
    for (int field = schema::kFirstRecordKeeping; field <= table.lastField; ++field) {
        const std::string_view value = row.View(field - 1);
        if (!value.empty()) record.fields.emplace(field, value);
    }
    return record;
}

// A row of SelectFields: the Seq, then the fields in the order asked.
class SqlRowView final : public RowView {
public:
    SqlRowView(const SqlRows& rows, const std::vector<int>& fields) : rows_(rows) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto field = static_cast<std::size_t>(fields[i]);
            if (columns_.size() <= field) columns_.resize(field + 1, 0);
            columns_[field] = static_cast<int>(i) + 1;
        }
    }
    std::int64_t Seq() const override { return rows_.Int(0); }
    std::string_view Field(int field) const override {
        const auto at = static_cast<std::size_t>(field);
        return field > 1 && at < columns_.size() && columns_[at] ? rows_.View(columns_[at]) : std::string_view();
    }

private:
    const SqlRows& rows_;
    std::vector<int> columns_;  // by field number: its column, 0 when not read
};

void WriteNotes(SqlSession& session, const SqlDialect& dialect, const TableDef& table, std::int64_t seq,
                const FieldValues& values) {
    for (const auto& [field, value] : values)
        if (field > 1000) session.Run(sql::WriteNote(dialect, table, seq, field, value));
}

bool RecordExists(SqlSession& session, const SqlDialect& dialect, const TableDef& table, std::int64_t seq) {
    return session.Query(sql::Exists(dialect, table, seq))->Next();
}

}  // namespace

std::vector<Record> SqlStorage::ReadRows(SqlSession& session, const TableDef& table, const SqlText& statement) {
    std::vector<Record> records;
    {
        const auto rows = session.Query(statement);
        while (rows->Next()) records.push_back(ReadRow(table, *rows));
    }
    if (records.empty() || !table.notes) return records;
    // The notes of all the records in one statement.
    std::vector<std::int64_t> seqs;
    std::map<std::int64_t, Record*> bySeq;
    for (Record& record : records) {
        seqs.push_back(record.seq);
        bySeq[record.seq] = &record;
    }
    const auto notes = session.Query(sql::Notes(dialect_, table, seqs));
    while (notes->Next())
        if (const auto found = bySeq.find(notes->Int(0)); found != bySeq.end())
            found->second->fields.emplace(static_cast<int>(notes->Int(1)), notes->View(2));
    return records;
}

void SqlStorage::WriteSeqSet(SqlSession& session, const TableDef& table, std::int64_t seq, const FieldValues& values,
                             bool replacing) const {
    const auto set = table.seqSetField ? values.find(table.seqSetField) : values.end();
    if (set == values.end()) return;
    for (const SqlText& statement : sql::WriteSeqSet(dialect_, table, seq, set->second, replacing))
        session.Run(statement);
}

std::map<std::int64_t, std::map<std::int64_t, std::int64_t>> SqlStorage::StoredSeqSetWords(std::string_view table,
                                                                                        std::int64_t firstSeq,
                                                                                        std::int64_t lastSeq) {
    const TableDef& def = RequireTable(table);
    std::map<std::int64_t, std::map<std::int64_t, std::int64_t>> words;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(sql::SeqSetWords(dialect_, def, firstSeq, lastSeq));
        while (rows->Next()) words[rows->Int(0)][rows->Int(1)] = rows->Int(2);
    });
    return words;
}

bool SqlStorage::HasTable(std::string_view table) const { return schema::FindTable(table) != nullptr; }

bool SqlStorage::HasField(std::string_view table, int field) const {
    const TableDef* def = schema::FindTable(table);
    return def && def->HasField(field);
}

std::int64_t SqlStorage::Add(std::string_view table, const FieldValues& values) {
    const TableDef& def = RequireTable(table);
    RequireWritable(def, values);
    std::int64_t seq = 0;
    InTransaction([&] {
        OnSession([&](SqlSession& session) {
            const auto inserted = session.Query(dialect_.Insert(def, values));
            if (!inserted->Next()) throw StorageError("no Seq for a new record of " + def.name);
            seq = inserted->Int(0);
            while (inserted->Next()) {
            }
            WriteNotes(session, dialect_, def, seq, values);
            WriteSeqSet(session, def, seq, values, false);
        });
    });
    return seq;
}

bool SqlStorage::Update(std::string_view table, std::int64_t seq, const FieldValues& values) {
    const TableDef& def = RequireTable(table);
    RequireWritable(def, values);
    bool found = false;
    InTransaction([&] {
        OnSession([&](SqlSession& session) {
            if (!RecordExists(session, dialect_, def, seq)) return;
            found = true;
            if (const auto update = sql::Update(dialect_, def, seq, values)) session.Run(*update);
            WriteNotes(session, dialect_, def, seq, values);
            WriteSeqSet(session, def, seq, values, true);
        });
    });
    return found;
}

bool SqlStorage::Remove(std::string_view table, std::int64_t seq) {
    const TableDef& def = RequireTable(table);
    bool found = false;
    InTransaction([&] {
        OnSession([&](SqlSession& session) {
            if (!RecordExists(session, dialect_, def, seq)) return;
            found = true;
            for (const SqlText& statement : sql::Remove(dialect_, def, seq)) session.Run(statement);
        });
    });
    return found;
}

std::optional<Record> SqlStorage::Read(std::string_view table, std::int64_t seq) {
    const TableDef& def = RequireTable(table);
    std::vector<Record> records;
    OnSession([&](SqlSession& session) { records = ReadRows(session, def, sql::Read(dialect_, def, seq)); });
    if (records.empty()) return std::nullopt;
    return std::move(records.front());
}

std::vector<Record> SqlStorage::ReadEach(std::string_view table, const std::vector<std::int64_t>& seqs) {
    const TableDef& def = RequireTable(table);
    if (seqs.empty()) return {};
    std::vector<Record> records;
    OnSession([&](SqlSession& session) { records = ReadRows(session, def, sql::ReadEach(dialect_, def, seqs)); });
    return records;
}

std::map<std::string, std::int64_t> SqlStorage::CountEach(std::string_view table, int field,
                                                           const std::vector<std::string>& values,
                                                           const std::vector<Condition>& where) {
    const TableDef& def = RequireTable(table);
    const SqlText statement = sql::CountEach(dialect_, def, field, values, where);  // checks the field
    std::map<std::string, std::int64_t> counts;
    if (values.empty()) return counts;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(statement);
        while (rows->Next()) counts[rows->Text(0)] = rows->Int(1);
    });
    return counts;
}

std::int64_t SqlStorage::Count(std::string_view table, const std::vector<Condition>& where) {
    const TableDef& def = RequireTable(table);
    const SqlText statement = sql::Count(dialect_, def, where);
    std::int64_t count = 0;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(statement);
        if (rows->Next()) count = rows->Int(0);
    });
    return count;
}

std::int64_t SqlStorage::HighestSeq(std::string_view table) {
    const TableDef& def = RequireTable(table);
    std::int64_t highest = 0;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(dialect_.HighestSeq(def));
        if (rows->Next()) highest = rows->Int(0);
    });
    return highest;
}

std::vector<Record> SqlStorage::Select(const ListRead& read) {
    const TableDef& def = RequireTable(read.table);
    const SqlText statement = sql::Select(dialect_, def, read);
    std::vector<Record> records;
    OnSession([&](SqlSession& session) { records = ReadRows(session, def, statement); });
    return records;
}

void SqlStorage::SelectEach(const ListRead& read, const std::vector<int>& fields, const RowVisitor& each) {
    const TableDef& def = RequireTable(read.table);
    std::vector<int> unique = fields;
    std::erase(unique, 1);  // the Seq is read always
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    const SqlText statement = sql::SelectFields(dialect_, def, read, unique);
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(statement);
        const SqlRowView row(*rows, unique);
        while (rows->Next())
            if (!each(row)) break;
    });
}

std::vector<Record> SqlStorage::SearchText(std::string_view table, int field, std::string_view words, int limit) {
    const TableDef& def = RequireTable(table);
    if (field != def.textSearchField || field == 0)
        throw StorageError("field f" + std::to_string(field) + " of " + def.name + " has no text index");
    const std::optional<SqlText> statement = dialect_.SearchText(def, words, limit);
    if (!statement) return {};
    std::vector<Record> records;
    OnSession([&](SqlSession& session) { records = ReadRows(session, def, *statement); });
    return records;
}

std::optional<Storage::StoredFile> SqlStorage::ReadRecordFile(std::string_view table, std::int64_t seq, int slot) {
    const TableDef& def = RequireTable(table);
    std::optional<StoredFile> file;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(sql::ReadFile(dialect_, def, seq, slot));
        if (rows->Next()) file = StoredFile{rows->Text(0), static_cast<std::int32_t>(rows->Int(1))};
    });
    return file;
}

void SqlStorage::WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) {
    const TableDef& def = RequireTable(table);
    InTransaction([&] {
        OnSession([&](SqlSession& session) {
            if (!RecordExists(session, dialect_, def, seq))
                throw StorageError("no record " + std::to_string(seq) + " in " + def.name);
            session.Run(sql::WriteFile(dialect_, def, seq, slot, file));
        });
    });
}

Storage::RecordFileBytes SqlStorage::OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) {
    const TableDef& def = RequireTable(table);
    RecordFileBytes bytes;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query(sql::OtherFileBytes(dialect_, def, seq, slot));
        if (rows->Next())
            bytes = {static_cast<std::uint64_t>(rows->Int(0)), static_cast<std::uint64_t>(rows->Int(1))};
    });
    return bytes;
}

std::vector<SqlStorage::FileSlot> SqlStorage::RecordFileSlots() {
    std::vector<FileSlot> slots;
    OnSession([&](SqlSession& session) {
        const auto rows = session.Query({std::string("SELECT tbl, seq, slot FROM ") + kFilesTable +
                                         " ORDER BY tbl, seq, slot", {}});
        while (rows->Next()) slots.push_back({rows->Text(0), rows->Int(1), static_cast<int>(rows->Int(2))});
    });
    return slots;
}

bool SqlStorage::IsEmpty() {
    for (const TableDef& table : schema::Tables())
        if (HighestSeq(table.name) > 0) return false;
    return true;
}

}  // namespace dalvero::server
