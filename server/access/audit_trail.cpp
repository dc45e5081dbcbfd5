#include "audit_trail.h"

#include <array>
#include <map>

#include "audit_anchor.h"
#include "hex_digest.h"
#include "schema.h"
#include "seq_set.h"

namespace dalvero::server {

namespace au = schema::audit;

namespace {

std::string Value(const FieldValues& fields, int field) {
    const auto found = fields.find(field);
    return found == fields.end() ? std::string() : found->second;
}

// The hash covers every field of the row and the previous row's hash; fields
// are separated by a byte no stored text holds. The patients of a read's
// entry came after the hash field; rows without them hash as they always did.
std::string RowHash(const FieldValues& fields) {
    std::string text;
    for (int field = au::kTime; field <= au::kPrevious; ++field) text += Value(fields, field) + '\x1f';
    if (const std::string patients = Value(fields, au::kPatients); !patients.empty()) text += patients + '\x1f';
    return Sha256Hex(text);
}

// Whether the stored membership words are exactly those of the row's patients.
bool SameWords(const Record& row, const std::map<std::int64_t, std::map<std::int64_t, std::int64_t>>& indexed) {
    const auto found = indexed.find(row.seq);
    const std::string patients = row.Field(au::kPatients);
    if (patients.empty()) return found == indexed.end();
    try {
        return found != indexed.end() && found->second == SeqSetWords(patients);
    } catch (const StorageError&) {
        return false;
    }
}

std::optional<Record> LastRow(Storage& storage) {
    ListRead read;
    read.table = schema::kAuditTrail;
    read.descending = true;
    read.limit = 1;
    std::vector<Record> rows = storage.Select(read);
    if (rows.empty()) return std::nullopt;
    return std::move(rows.front());
}

}  // namespace

std::string AuditStamp(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    // The offset tells the two passes through the hour the clocks go back.
    std::array<char, 24> text{};
    std::strftime(text.data(), text.size(), "%Y%m%d%H%M%S%z", &local);
    return text.data();
}

Principal ConsoleOperator(const std::string& hospital) {
    Principal who;
    who.email = "dalvero-server";
    who.address = "console";
    who.hospital = hospital;
    return who;
}

void AppendAudit(Storage& storage, const Principal& who, const std::vector<AuditEntry>& entries, std::time_t now) {
    if (entries.empty()) return;
    const std::string stamp = AuditStamp(now);
    // The write lock is taken before the last row is read, so two writers
    // can never chain to the same row.
    storage.InTransaction([&] {
        const std::optional<Record> last = LastRow(storage);
        std::string previous = last ? last->Field(au::kHash) : std::string();
        for (const AuditEntry& entry : entries) {
            FieldValues row{{au::kTime, stamp},
                            {au::kPerson, who.person ? std::to_string(who.person) : std::string()},
                            {au::kEmail, who.email},
                            {au::kAddress, who.address},
                            {au::kAction, entry.action},
                            {au::kTable, entry.table},
                            {au::kRecord, entry.record ? std::to_string(entry.record) : SeqSetText(entry.records)},
                            {au::kPatient, entry.patient},
                            {au::kHospital, who.hospital},
                            {au::kDetail, entry.detail},
                            {au::kPrevious, previous}};
            if (!entry.patients.empty()) row[au::kPatients] = SeqSetText(entry.patients);
            previous = RowHash(row);
            row[au::kHash] = previous;
            storage.Add(schema::kAuditTrail, row);
        }
    });
}

AuditTip NewestAuditRow(Storage& storage) {
    const std::optional<Record> last = LastRow(storage);
    return last ? AuditTip{last->seq, last->Field(au::kHash)} : AuditTip{};
}

AuditCheck VerifyAuditTrail(SqlStorage& storage, const AuditAnchor* anchor) {
    AuditCheck check;
    auto fail = [&](std::int64_t seq, const std::string& problem) {
        check.intact = false;
        check.firstBad = seq;
        check.problem = problem;
        return check;
    };
    // Anchored hashes by Seq; the last line for a Seq counts.
    std::map<std::int64_t, std::string> anchored;
    if (anchor) {
        for (const AuditAnchorLine& line : anchor->Lines()) {
            if (!line.sealed) return fail(line.seq, "its anchor line does not match the audit key");
            anchored[line.seq] = line.hash;
        }
    }
    std::string previous;
    std::int64_t expectedSeq = 0;
    constexpr std::int64_t kPage = 1000;
    for (std::int64_t offset = 0;; offset += kPage) {
        ListRead read;
        read.table = schema::kAuditTrail;
        read.offset = offset;
        read.limit = kPage;
        const std::vector<Record> rows = storage.Select(read);
        const auto indexed = rows.empty() ? std::map<std::int64_t, std::map<std::int64_t, std::int64_t>>()
                                          : storage.StoredSeqSetWords(read.table, rows.front().seq, rows.back().seq);
        for (const Record& row : rows) {
            ++check.rows;
            if (expectedSeq && row.seq != expectedSeq)
                return fail(row.seq,
                            "rows " + std::to_string(expectedSeq) + " to " + std::to_string(row.seq - 1) + " are missing");
            if (row.Field(au::kPrevious) != previous) return fail(row.seq, "does not follow the row before it");
            if (RowHash(row.fields) != row.Field(au::kHash)) return fail(row.seq, "its content does not match its hash");
            if (const auto found = anchored.find(row.seq); found != anchored.end() && found->second != row.Field(au::kHash))
                return fail(row.seq, "its hash is not the one anchored: the chain was rewritten");
            // The index is no part of the chain: words taken out of it would
            // hide the row from a look-up by patient.
            if (!SameWords(row, indexed)) return fail(row.seq, "its patients are not all in the index of patients");
            previous = row.Field(au::kHash);
            expectedSeq = row.seq + 1;
        }
        if (static_cast<std::int64_t>(rows.size()) < kPage) break;
    }
    // Seqs are never given out twice, so rows cut off the end still count.
    const std::int64_t newest = expectedSeq ? expectedSeq - 1 : 0;
    if (const std::int64_t highest = storage.HighestSeq(schema::kAuditTrail); highest > newest)
        return fail(newest + 1, "rows " + std::to_string(newest + 1) + " to " + std::to_string(highest) + " are missing");
    if (!anchored.empty() && anchored.rbegin()->first > newest)
        return fail(newest + 1, "rows up to the anchored row " + std::to_string(anchored.rbegin()->first) + " are missing");
    // Every log-in leaves a session and a row, so a used store has a trail.
    if (check.rows == 0 && storage.HighestSeq(schema::kSessions) > 0)
        return fail(0, "the trail is empty, but people have logged in");
    return check;
}

}  // namespace dalvero::server
