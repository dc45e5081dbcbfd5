#pragma once
// The one place where the servers decide who may see and change what. Every
// request of a logged-in person (DataServer lists, reads, writes, notes and
// record files; every FunctionServer command) works on this view of the
// store instead of the store itself:
//
// - Patient data (cases and everything hanging from them, and the patients
//   behind them) exists only for people of the case's hospital. A patient
//   found by the full Social Security number who has no case there shows
//   only what intake needs. A case may name only a patient the person sees
//   whole, a patient with no case at all, or one their session found so.
// - Shared data (providers, categories, code books, insurance and personnel
//   types) is readable by everyone; personnel of other hospitals only with the
//   fields of the physician look-up (and a physician's e-mail address); a
//   hospital's preferred providers and audit trail only by its own people
//   (the trail by its administrators).
// - Personnel, providers, the hospital records, preferred providers and the
//   shared tables are written by administrators only (personnel of their own
//   hospital); a person may change their own password. Personnel f23 is never
//   read back, and whatever is written to it is hashed.
// - Sessions, the audit trail and what the admission listener keeps for
//   itself (its message log, the record numbers) are never written through
//   requests; only the trail is read, the others are not even seen.
// - A condition may name only fields the person sees in the records it
//   selects (f23 none), and counts count only what reads would return.
// - A record's files follow the record: reading them needs full sight of it,
//   writing them the rights of an update.
//
// What a person may see is decided per statement, never per record: the
// patients and parent records of a page are looked up in one go.
//
// Refusals throw AccessDenied; a record out of reach reads as missing and a
// write to it finds no record. A write of patient data, of people or of a
// hospital record appends its audit row inside the write's own transaction,
// so neither lands without the other; reads of patient data are collected
// (TakeAudit) for the audit writer, one entry per table read.

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
    // reads the trail. foundBySsn: the patients the person's session has
    // found by their full Social Security number (intake's look-up), which a
    // new case may name; kept by the caller from request to request, and
    // added to here.
    AuthorizedStorage(Storage& inner, const Principal& who, PasswordHasher hashPassword, AuditWriter& trail,
                      std::set<std::int64_t>* foundBySsn = nullptr);

    bool HasTable(std::string_view table) const override;
    bool HasField(std::string_view table, int field) const override;

    std::int64_t Add(std::string_view table, const FieldValues& values) override;
    bool Update(std::string_view table, std::int64_t seq, const FieldValues& values) override;
    bool Remove(std::string_view table, std::int64_t seq) override;

    std::optional<Record> Read(std::string_view table, std::int64_t seq) override;
    std::vector<Record> ReadEach(std::string_view table, const std::vector<std::int64_t>& seqs) override;
    std::int64_t Count(std::string_view table, const std::vector<Condition>& where) override;
    std::map<std::string, std::int64_t> CountEach(std::string_view table, int field,
                                                  const std::vector<std::string>& values,
                                                  const std::vector<Condition>& where) override;
    std::int64_t HighestSeq(std::string_view table) override { return inner_.HighestSeq(table); }
    std::vector<Record> Select(const ListRead& read) override;
    void SelectEach(const ListRead& read, const std::vector<int>& fields, const RowVisitor& each) override;
    std::vector<Record> SearchText(std::string_view table, int field, std::string_view words, int limit) override;

    std::optional<StoredFile> ReadRecordFile(std::string_view table, std::int64_t seq, int slot) override;
    void WriteRecordFile(std::string_view table, std::int64_t seq, int slot, const StoredFile& file) override;
    // Sizes only, for the server's own quota check; none of it reaches a client.
    RecordFileBytes OtherRecordFileBytes(std::string_view table, std::int64_t seq, int slot) override {
        return inner_.OtherRecordFileBytes(table, seq, slot);
    }

    void InTransaction(const std::function<void()>& fn) override;
    void InReadTransaction(const std::function<void()>& fn) override;

    // The patient data read so far: one entry per table (and detail) naming
    // every record read and the patients concerned; emptied.
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
    // Learns, in two statements, whose the patients are.
    void KnowPatients(std::vector<std::int64_t> seqs);
    // Learns in a few statements the reach of the records' patients and of
    // the records they belong to, so that judging each record costs nothing.
    void LearnReach(const std::string& table, const std::vector<Record>& records);
    // The same for parent records given by their Seqs, in one statement.
    void LearnParents(const std::string& parent, std::vector<std::int64_t> seqs);
    // The records the person sees, shaped to what they see of each; a record
    // in which a condition names a field they do not see is left out.
    // Audited reads are noted for the trail and remember intake's finds.
    std::vector<Record> Seen(const std::string& table, std::vector<Record> records,
                             const std::vector<Condition>& where, bool audited);
    // Throws AccessDenied unless a case of this person may name the patient.
    void RequireNameablePatient(const std::string& patient);
    // Throws AccessDenied when another person logs in with the e-mail given.
    void RequireUniqueEmail(const FieldValues& values, std::int64_t self);
    // Forgets what a write to the table may have changed.
    void Changed(const std::string& table);
    // Throws AccessDenied unless the person may write the table at all.
    void RequireWriter(const std::string& table, const FieldValues& values, const Record* existing);
    // Values as they may be stored: hospital links checked, f23 hashed.
    FieldValues Checked(const std::string& table, FieldValues values, const Record* existing);
    std::vector<Condition> Scoped(const std::string& table, std::vector<Condition> where, bool& nothing);
    // The read narrowed to what the person may see; none when that is nothing.
    std::optional<ListRead> ScopedRead(const ListRead& request);
    void Shape(Record& record, Sight sight, const std::string& table) const;
    void NoteRead(const std::string& table, std::int64_t seq, const std::string& patient,
                  const std::string& detail = {});
    // Appends a write's row; called inside the write's transaction.
    void Written(const std::string& action, const std::string& table, std::int64_t seq, const std::string& patient,
                 const std::string& detail = {});

    Storage& inner_;
    Principal who_;
    PasswordHasher hashPassword_;
    AuditWriter& trail_;
    std::set<std::int64_t>* foundBySsn_;
    std::map<std::pair<std::string, std::int64_t>, Reach> reach_;
    // Reads by table and detail: the Seqs read and the patients concerned,
    // in any order and with repeats until TakeAudit.
    struct ReadSeqs {
        std::vector<std::int64_t> records;
        std::vector<std::int64_t> patients;
    };
    std::map<std::pair<std::string, std::string>, ReadSeqs> reads_;
};

}  // namespace dalvero::server
