#pragma once
// The one place where the servers decide who may see and change what. Every
// request of a logged-in person (DataServer lists, reads, writes, notes and
// record files; every FunctionServer command) works on this view of the
// store instead of the store itself:
//
// - Patient data (cases and everything hanging from them, and the patients
//   behind them) exists only for people of the case's hospital. A patient
//   found by Social Security number who has no case there shows only what
//   intake needs.
// - Shared data (providers, categories, code books, insurance and personnel
//   types) is readable by everyone; personnel of other hospitals only with the
//   fields of the physician look-up (and a physician's e-mail address); a
//   hospital's preferred providers and audit trail only by its own people
//   (the trail by its administrators).
// - Personnel, providers, the hospital records, preferred providers and the
//   shared tables are written by administrators only (personnel of their own
//   hospital); a person may change their own password. Personnel f23 is never
//   read back, and whatever is written to it is hashed.
// - Sessions and the audit trail are never written through requests.
//
// Refusals throw AccessDenied; a record out of reach reads as missing and a
// write to it finds no record. A write of patient data appends its audit row
// inside the write's own transaction, so neither lands without the other;
// reads of patient data are collected (TakeAudit) for the audit writer.

#include <functional>
#include <map>
#include <set>
#include <utility>

#include "audit_trail.h"
#include "audit_writer.h"
#include "principal.h"
#include "storage.h"

namespace dalvero::server {

class AccessDenied : public StorageError {
public:
    using StorageError::StorageError;
};

class AuthorizedStorage final : public Storage {
public:
    using PasswordHasher = std::function<std::string(std::string_view)>;

    // trail: stamps write rows, and has the reads appended before anyone
    // reads the trail.
    AuthorizedStorage(Storage& inner, const Principal& who, PasswordHasher hashPassword, AuditWriter& trail);

    bool HasTable(std::string_view table) const override;
    bool HasField(std::string_view table, int field) const override;

    std::int64_t Add(std::string_view table, const FieldValues& values) override;
    bool Update(std::string_view table, std::int64_t seq, const FieldValues& values) override;
    bool Remove(std::string_view table, std::int64_t seq) override;

    std::optional<Record> Read(std::string_view table, std::int64_t seq) override;
    std::int64_t Count(std::string_view table, const std::vector<Condition>& where) override;
    std::int64_t HighestSeq(std::string_view table) override { return inner_.HighestSeq(table); }
    std::vector<Record> Select(const ListRead& read) override;
    std::vector<Record> SearchText(std::string_view table, int field, std::string_view words, int limit) override;

    std::optional<StoredFile> ReadRecordFile(std::string_view table, std::int64_t seq, int slot) override;
    void WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) override;
    // Sizes only, for the server's own quota check; none of it reaches a client.
    RecordFileBytes OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) override {
        return inner_.OtherRecordFileBytes(table, seq, slot);
    }

    void InTransaction(const std::function<void()>& fn) override;

    // The patient data read so far, each record once; emptied.
    std::vector<AuditEntry> TakeAudit();

private:
    // How much of a record the person may see.
    enum class Sight { None, Directory, Intake, Full };
    struct Reach {
        Sight sight = Sight::None;
        std::string patient;  // the patient the record concerns
    };

    Reach ReachOf(const std::string& table, const Record& record);
    Reach ReachOfSeq(const std::string& table, std::int64_t seq);
    // Throws AccessDenied unless the person may write the table at all.
    void RequireWriter(const std::string& table, const FieldValues& values, const Record* existing);
    // Values as they may be stored: hospital links checked, f23 hashed.
    FieldValues Checked(const std::string& table, FieldValues values, const Record* existing);
    std::vector<Condition> Scoped(const std::string& table, std::vector<Condition> where, bool& nothing);
    void Shape(Record& record, Sight sight, const std::string& table) const;
    void Note(const std::string& action, const std::string& table, std::int64_t seq, const std::string& patient,
              const std::string& detail = {});
    // Appends a write's row; called inside the write's transaction.
    void Written(const std::string& action, const std::string& table, std::int64_t seq, const std::string& patient,
                 const std::string& detail = {});

    Storage& inner_;
    Principal who_;
    PasswordHasher hashPassword_;
    AuditWriter& trail_;
    std::map<std::pair<std::string, std::int64_t>, Reach> reach_;
    std::set<AuditEntry> audit_;
};

}  // namespace dalvero::server
