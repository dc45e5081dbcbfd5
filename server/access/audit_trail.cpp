#include "audit_trail.h"

#include <array>

#include "hex_digest.h"
#include "schema.h"

namespace dalvero::server {

namespace au = schema::audit;

namespace {

std::string Value(const FieldValues& fields, int field) {
    const auto found = fields.find(field);
    return found == fields.end() ? std::string() : found->second;
}

// The hash covers every field of the row and the previous row's hash; fields
// are separated by a byte no stored text holds.
std::string RowHash(const FieldValues& fields) {
    std::string text;
    for (int field = au::kTime; field <= au::kPrevious; ++field) text += Value(fields, field) + '\x1f';
    return Sha256Hex(text);
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
                            {au::kRecord, entry.record ? std::to_string(entry.record) : std::string()},
                            {au::kPatient, entry.patient},
                            {au::kHospital, who.hospital},
                            {au::kDetail, entry.detail},
                            {au::kPrevious, previous}};
            previous = RowHash(row);
            row[au::kHash] = previous;
            storage.Add(schema::kAuditTrail, row);
        }
    });
}

AuditCheck VerifyAuditTrail(Storage& storage) {
    AuditCheck check;
    std::string previous;
    std::int64_t expectedSeq = 0;
    constexpr std::int64_t kPage = 1000;
    for (std::int64_t offset = 0;; offset += kPage) {
        ListRead read;
        read.table = schema::kAuditTrail;
        read.offset = offset;
        read.limit = kPage;
        const std::vector<Record> rows = storage.Select(read);
        for (const Record& row : rows) {
            ++check.rows;
            auto fail = [&](const std::string& problem) {
                check.intact = false;
                check.firstBad = row.seq;
                check.problem = problem;
            };
            if (expectedSeq && row.seq != expectedSeq)
                fail("rows " + std::to_string(expectedSeq) + " to " + std::to_string(row.seq - 1) + " are missing");
            else if (row.Field(au::kPrevious) != previous)
                fail("does not follow the row before it");
            else if (RowHash(row.fields) != row.Field(au::kHash))
                fail("its content does not match its hash");
            if (!check.intact) return check;
            previous = row.Field(au::kHash);
            expectedSeq = row.seq + 1;
            check.lastSeq = row.seq;
            check.lastHash = previous;
        }
        if (static_cast<std::int64_t>(rows.size()) < kPage) return check;
    }
}

}  // namespace dalvero::server
