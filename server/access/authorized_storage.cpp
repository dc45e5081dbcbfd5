#include "authorized_storage.h"

#include <algorithm>
#include <cctype>

#include "schema.h"
#include "table_catalogue.h"
#include "whole_number.h"

namespace dalvero::server {

namespace cat = catalogue;
namespace tbl = catalogue::tbl;

namespace {

// Tables whose records belong to a case through a link field.
struct ChildTable {
    const char* table;
    const char* parent;
    int link;
};
constexpr ChildTable kChildren[] = {
    {tbl::kCaseNeeds, tbl::kCases, cat::case_needs::kCase},
    {tbl::kCaseNeedsQuote, tbl::kCaseNeeds, schema::quote_need::kNeed},
    {tbl::kCaseDoctorsLink, tbl::kCases, cat::case_doctors::kCase},
    {tbl::kCaseFamily, tbl::kCases, cat::case_family::kCase},
    {tbl::kDiagCodeDetail, tbl::kCases, cat::code_detail::kCase},
    {tbl::kTreatmentCodeDetail, tbl::kCases, cat::code_detail::kCase},
};

// Written by administrators only.
constexpr const char* kAdminTables[] = {
    tbl::kPersonnel,        tbl::kProviderEntities,    tbl::kPreferredProviders,      tbl::kProviderCategoryLink,
    tbl::kProviderTypes,    tbl::kProviderCategories,  tbl::kProviderCategoryDetails, tbl::kInsuranceTypes,
    tbl::kPersonnelTypes,   tbl::kICD9Symptom,         tbl::kICD9Treatment,           schema::kProviderInsuranceLink,
    schema::kZipCentroids,
};

// What the physician look-up shows of a person of another hospital (and a
// physician's e-mail address).
constexpr int kDirectoryFields[] = {cat::personnel::kHospital,  cat::personnel::kTitle,
                                    cat::personnel::kFirstName, cat::personnel::kMiddleName,
                                    cat::personnel::kLastName,  cat::personnel::kPhone,
                                    cat::personnel::kPhysician, cat::personnel::kSpecialty};
// What intake needs of a patient found by Social Security number.
constexpr int kIntakeFields[] = {cat::patients::kFirstName, cat::patients::kMiddleName, cat::patients::kLastName,
                                 cat::patients::kSsn, cat::patients::kBirthDate};

// Kept by the server for itself; no request reads or writes them.
bool IsServerOnly(const std::string& table) {
    return table == schema::kSessions || table == schema::kLoginFailures || table == schema::kAdtMessages ||
           table == schema::kPatientRecordNumbers;
}

const ChildTable* ChildOf(const std::string& table) {
    for (const ChildTable& child : kChildren)
        if (table == child.table) return &child;
    return nullptr;
}

bool IsAdminTable(const std::string& table) {
    return std::any_of(std::begin(kAdminTables), std::end(kAdminTables),
                       [&](const char* name) { return table == name; });
}

bool IsPatientData(const std::string& table) {
    return table == tbl::kCases || table == tbl::kPatients || ChildOf(table);
}

// Tables everyone reads whole and whose reads leave no audit row (code books,
// providers, categories): their records need no judging one by one.
bool SeenWhole(const std::string& table) {
    return !IsPatientData(table) && !IsServerOnly(table) && table != tbl::kPersonnel &&
           table != tbl::kPreferredProviders && table != schema::kAuditTrail;
}

// People's accounts and roles, and the hospitals' own records.
bool IsAccountData(const std::string& table) { return table == tbl::kPersonnel || table == tbl::kProviderEntities; }

template <typename Fields>
bool Holds(const Fields& fields, int field) {
    return std::find(std::begin(fields), std::end(fields), field) != std::end(fields);
}

// What intake's look-up sends: the whole number, never a part of one.
bool IsFullSsn(const std::string& text) {
    return text.size() == 9 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The table's own spelling, whatever letter case the caller used.
std::string Canonical(std::string_view table) {
    const schema::TableDef* def = schema::FindTable(table);
    return def ? def->name : std::string(table);
}

const Condition* EqualOn(const std::vector<Condition>& where, int field) {
    for (const Condition& condition : where)
        if (condition.field == field && condition.op == CompareOp::Equal && !condition.asDate) return &condition;
    return nullptr;
}

// The condition that ties records to their parent: the link equal to one
// parent, or one of several.
Condition* LinkOn(std::vector<Condition>& where, int field) {
    for (Condition& condition : where)
        if (condition.field == field && !condition.asDate &&
            (condition.op == CompareOp::Equal || condition.op == CompareOp::OneOf))
            return &condition;
    return nullptr;
}

std::string FieldList(const FieldValues& values) {
    std::string list;
    for (const auto& [field, value] : values) list += (list.empty() ? "f" : ",f") + std::to_string(field);
    return list;
}

std::int64_t SeqOf(const std::string& text) { return ParseWholeNumber(text).value_or(0); }

[[noreturn]] void Deny(const std::string& why) { throw AccessDenied(why); }

}  // namespace

AuthorizedStorage::AuthorizedStorage(Storage& inner, const Principal& who, PasswordHasher hashPassword,
                                     AuditWriter& trail, std::set<std::int64_t>* foundBySsn)
    : inner_(inner), who_(who), hashPassword_(std::move(hashPassword)), trail_(trail), foundBySsn_(foundBySsn) {}

bool AuthorizedStorage::HasTable(std::string_view table) const {
    return !IsServerOnly(Canonical(table)) && inner_.HasTable(table);
}

bool AuthorizedStorage::HasField(std::string_view table, int field) const { return inner_.HasField(table, field); }

AuthorizedStorage::Reach AuthorizedStorage::ReachOf(const std::string& table, const Record& record) {
    if (SeenWhole(table)) return {Sight::Full, {}};
    const bool ownHospital = !who_.hospital.empty();
    auto mine = [&](int field) { return ownHospital && record.Field(field) == who_.hospital; };
    if (table == tbl::kCases)
        return mine(cat::cases::kHospital) ? Reach{Sight::Full, record.Field(cat::cases::kPatient)} : Reach{};
    if (const ChildTable* child = ChildOf(table))
        return ReachOfSeq(child->parent, SeqOf(record.Field(child->link)));
    if (table == tbl::kPatients) {
        KnowPatients({record.seq});
        return reach_.at({table, record.seq});
    }
    if (table == tbl::kPersonnel) return {mine(cat::personnel::kHospital) ? Sight::Full : Sight::Directory, {}};
    if (table == tbl::kPreferredProviders) return {mine(cat::preferred_providers::kHospital) ? Sight::Full : Sight::None, {}};
    if (table == schema::kAuditTrail)
        return {who_.administrator && mine(schema::audit::kHospital) ? Sight::Full : Sight::None, {}};
    return {};  // kept by the server for itself
}

void AuthorizedStorage::KnowPatients(std::vector<std::int64_t> seqs) {
    std::vector<std::string> unknown;
    std::sort(seqs.begin(), seqs.end());
    seqs.erase(std::unique(seqs.begin(), seqs.end()), seqs.end());
    for (std::int64_t seq : seqs)
        if (!reach_.count({tbl::kPatients, seq})) unknown.push_back(std::to_string(seq));
    if (unknown.empty()) return;
    const auto anywhere = inner_.CountEach(tbl::kCases, cat::cases::kPatient, unknown, {});
    std::map<std::string, std::int64_t> here;
    if (!who_.hospital.empty())
        here = inner_.CountEach(tbl::kCases, cat::cases::kPatient, unknown,
                                {{cat::cases::kHospital, CompareOp::Equal, who_.hospital, false}});
    for (const std::string& seq : unknown) {
        // A patient whose first case is still being made belongs to no hospital yet.
        const bool full = here.count(seq) > 0 || anywhere.count(seq) == 0;
        reach_[{tbl::kPatients, SeqOf(seq)}] = {full ? Sight::Full : Sight::None, seq};
    }
}

void AuthorizedStorage::LearnReach(const std::string& table, const std::vector<Record>& records) {
    std::vector<std::int64_t> seqs;
    if (table == tbl::kPatients) {
        for (const Record& record : records) seqs.push_back(record.seq);
        KnowPatients(std::move(seqs));
        return;
    }
    const ChildTable* child = ChildOf(table);
    if (!child) return;
    for (const Record& record : records) seqs.push_back(SeqOf(record.Field(child->link)));
    LearnParents(child->parent, std::move(seqs));
}

void AuthorizedStorage::LearnParents(const std::string& parent, std::vector<std::int64_t> seqs) {
    std::erase_if(seqs, [&](std::int64_t seq) { return seq <= 0 || reach_.count({parent, seq}); });
    if (seqs.empty()) return;
    std::sort(seqs.begin(), seqs.end());
    seqs.erase(std::unique(seqs.begin(), seqs.end()), seqs.end());
    const std::vector<Record> parents = inner_.ReadEach(parent, seqs);
    LearnReach(parent, parents);
    for (std::int64_t seq : seqs) reach_[{parent, seq}] = Reach{};
    for (const Record& record : parents) reach_[{parent, record.seq}] = ReachOf(parent, record);
}

AuthorizedStorage::Reach AuthorizedStorage::ReachOfSeq(const std::string& table, std::int64_t seq) {
    const auto key = std::make_pair(table, seq);
    if (const auto found = reach_.find(key); found != reach_.end()) return found->second;
    const std::optional<Record> record = seq > 0 ? inner_.Read(table, seq) : std::nullopt;
    const Reach reach = record ? ReachOf(table, *record) : Reach{};
    reach_[key] = reach;
    return reach;
}

void AuthorizedStorage::Shape(Record& record, Sight sight, const std::string& table) const {
    auto keepOnly = [&record](const auto& fields) {
        std::erase_if(record.fields, [&](const auto& item) {
            return std::find(std::begin(fields), std::end(fields), item.first) == std::end(fields);
        });
    };
    if (table == tbl::kPersonnel) record.fields.erase(cat::personnel::kPassword);
    if (sight == Sight::Directory) {
        // A physician's address is what the approval mail goes to.
        const auto physician = record.fields.find(cat::personnel::kPhysician);
        const bool isPhysician = physician != record.fields.end() && (physician->second == "Y" || physician->second == "y");
        const auto email = record.fields.find(cat::personnel::kEmail);
        std::string kept = isPhysician && email != record.fields.end() ? email->second : std::string();
        keepOnly(kDirectoryFields);
        if (!kept.empty()) record.fields[cat::personnel::kEmail] = std::move(kept);
    }
    if (sight == Sight::Intake) keepOnly(kIntakeFields);
}

void AuthorizedStorage::NoteRead(const std::string& table, std::int64_t seq, const std::string& patient,
                                 const std::string& detail) {
    if (!IsPatientData(table)) return;
    ReadSeqs& read = reads_[{table, detail}];
    read.records.push_back(seq);
    if (const std::int64_t concerned = SeqOf(patient); concerned > 0) read.patients.push_back(concerned);
}

void AuthorizedStorage::Written(const std::string& action, const std::string& table, std::int64_t seq,
                                const std::string& patient, const std::string& detail) {
    // Patient data leaves a row for every read and write; accounts, roles and
    // hospital records for every write.
    if (IsPatientData(table) || IsAccountData(table))
        AppendAudit(inner_, who_, {{action, table, seq, patient, detail}}, trail_.Now());
}

std::vector<AuditEntry> AuthorizedStorage::TakeAudit() {
    auto sorted = [](std::vector<std::int64_t>& seqs) {
        std::sort(seqs.begin(), seqs.end());
        seqs.erase(std::unique(seqs.begin(), seqs.end()), seqs.end());
    };
    // A read of one record, or of one patient's, keeps the shape of the
    // trail's single-record rows.
    std::vector<AuditEntry> entries;
    for (auto& [key, read] : reads_) {
        AuditEntry entry{audit_action::kRead, key.first, 0, "", key.second};
        sorted(read.records);
        sorted(read.patients);
        if (read.records.size() == 1)
            entry.record = read.records.front();
        else
            entry.records = std::move(read.records);
        if (read.patients.size() == 1)
            entry.patient = std::to_string(read.patients.front());
        else
            entry.patients = std::move(read.patients);
        entries.push_back(std::move(entry));
    }
    reads_.clear();
    return entries;
}

std::vector<Record> AuthorizedStorage::Seen(const std::string& table, std::vector<Record> records,
                                            const std::vector<Condition>& where, bool audited) {
    if (SeenWhole(table)) return records;
    LearnReach(table, records);
    const Condition* ssn = table == tbl::kPatients ? EqualOn(where, cat::patients::kSsn) : nullptr;
    const bool intake = ssn && IsFullSsn(ssn->value);
    auto sees = [](Sight sight, int field) {
        if (field == 1 || sight == Sight::Full) return true;
        if (sight == Sight::Directory) return Holds(kDirectoryFields, field);
        return sight == Sight::Intake && Holds(kIntakeFields, field);
    };
    std::erase_if(records, [&](Record& record) {
        Reach reach = ReachOf(table, record);
        reach_.emplace(std::make_pair(table, record.seq), reach);  // the records hanging from it ask again
        if (reach.sight == Sight::None && intake) reach.sight = Sight::Intake;
        // A condition on a field the person does not see in this record would
        // tell them its value by the record being there or not.
        for (const Condition& condition : where)
            if (!sees(reach.sight, condition.field)) reach.sight = Sight::None;
        if (reach.sight == Sight::None) return true;
        Shape(record, reach.sight, table);
        if (audited) {
            if (reach.sight == Sight::Intake && foundBySsn_) foundBySsn_->insert(record.seq);
            NoteRead(table, record.seq, reach.patient, reach.sight == Sight::Intake ? "intake look-up" : "");
        }
        return false;
    });
    return records;
}

std::optional<Record> AuthorizedStorage::Read(std::string_view table, std::int64_t seq) {
    std::vector<Record> found = ReadEach(table, {seq});
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::vector<Record> AuthorizedStorage::ReadEach(std::string_view tableName, const std::vector<std::int64_t>& seqs) {
    const std::string table = Canonical(tableName);
    if (IsServerOnly(table)) Deny("Unknown table " + table);
    return Seen(table, inner_.ReadEach(table, seqs), {}, true);
}

std::vector<Condition> AuthorizedStorage::Scoped(const std::string& table, std::vector<Condition> where,
                                                 bool& nothing) {
    nothing = false;
    if (IsServerOnly(table)) Deny("Unknown table " + table);
    if (table == schema::kAuditTrail && !who_.administrator) Deny("The audit trail is for administrators");
    int hospitalField = 0;
    if (table == tbl::kCases) hospitalField = cat::cases::kHospital;
    if (table == tbl::kPreferredProviders) hospitalField = cat::preferred_providers::kHospital;
    if (table == schema::kAuditTrail) hospitalField = schema::audit::kHospital;
    if (table == tbl::kPersonnel) {
        if (std::any_of(where.begin(), where.end(),
                        [](const Condition& c) { return c.field == cat::personnel::kPassword; }))
            Deny("Passwords cannot be compared");
        // Of other hospitals' people only the physician look-up's fields are
        // seen; a condition on any other field selects among the own hospital's.
        if (std::any_of(where.begin(), where.end(),
                        [](const Condition& c) { return c.field != 1 && !Holds(kDirectoryFields, c.field); }))
            hospitalField = cat::personnel::kHospital;
    }
    if (hospitalField) {
        nothing = who_.hospital.empty();
        where.push_back({hospitalField, CompareOp::Equal, who_.hospital, false});
    } else if (const ChildTable* child = ChildOf(table)) {
        Condition* link = LinkOn(where, child->link);
        if (!link) Deny(table + " is read by the record it belongs to");
        if (link->op == CompareOp::OneOf) {
            // The children of many parents at once: those of parents out of
            // reach read as missing, as they would one parent at a time.
            std::vector<std::int64_t> parents;
            for (const std::string& value : link->values) parents.push_back(SeqOf(value));
            LearnParents(child->parent, std::move(parents));
            std::erase_if(link->values, [&](const std::string& value) {
                return ReachOfSeq(child->parent, SeqOf(value)).sight == Sight::None;
            });
            nothing = link->values.empty();
        } else {
            nothing = ReachOfSeq(child->parent, SeqOf(link->value)).sight == Sight::None;
        }
    } else if (table == tbl::kPatients && !EqualOn(where, 1) && !EqualOn(where, cat::patients::kSsn)) {
        Deny("Patients are read by their number or their Social Security number");
    }
    return where;
}

std::int64_t AuthorizedStorage::Count(std::string_view tableName, const std::vector<Condition>& where) {
    const std::string table = Canonical(tableName);
    if (table == schema::kAuditTrail) trail_.Flush();
    // A provider's open requests, counted across hospitals for matching, tell
    // no one anything about a patient.
    if (table == tbl::kCaseNeedsQuote && !std::any_of(where.begin(), where.end(), [](const Condition& c) {
            return c.field == schema::quote_need::kNeed;
        }) && EqualOn(where, cat::quotes::kProvider))
        return inner_.Count(table, where);
    bool nothing = false;
    const std::vector<Condition> scoped = Scoped(table, where, nothing);
    if (nothing) return 0;
    // Patients are read one by one (by number or Social Security number), so
    // counting the ones the person sees costs no more than reading them.
    if (table == tbl::kPatients) {
        ListRead read;
        read.table = table;
        read.where = scoped;
        return static_cast<std::int64_t>(Seen(table, inner_.Select(read), scoped, false).size());
    }
    return inner_.Count(table, scoped);
}

std::map<std::string, std::int64_t> AuthorizedStorage::CountEach(std::string_view table, int field,
                                                                  const std::vector<std::string>& values,
                                                                  const std::vector<Condition>& where) {
    // Exactly what a count tells, value by value.
    std::map<std::string, std::int64_t> counts;
    for (const std::string& value : values) {
        std::vector<Condition> conditions = where;
        conditions.push_back({field, CompareOp::Equal, value, false});
        if (const std::int64_t n = Count(table, conditions)) counts[value] = n;
    }
    return counts;
}

std::optional<ListRead> AuthorizedStorage::ScopedRead(const ListRead& request) {
    ListRead read = request;
    read.table = Canonical(request.table);
    bool nothing = false;
    read.where = Scoped(read.table, std::move(read.where), nothing);
    if (nothing) return std::nullopt;
    // Whoever reads the trail sees every read made before.
    if (read.table == schema::kAuditTrail) trail_.Flush();
    return read;
}

std::vector<Record> AuthorizedStorage::Select(const ListRead& request) {
    const std::optional<ListRead> read = ScopedRead(request);
    if (!read) return {};
    return Seen(read->table, inner_.Select(*read), read->where, true);
}

void AuthorizedStorage::SelectEach(const ListRead& request, const std::vector<int>& fields, const RowVisitor& each) {
    const std::optional<ListRead> read = ScopedRead(request);
    if (!read) return;
    if (SeenWhole(read->table)) return inner_.SelectEach(*read, fields, each);
    // Records judged one by one are judged whole, as Select judges them.
    for (const Record& record : Seen(read->table, inner_.Select(*read), read->where, true))
        if (!each(RecordRow(record))) return;
}

std::vector<Record> AuthorizedStorage::SearchText(std::string_view table, int field, std::string_view words,
                                                  int limit) {
    const std::string name = Canonical(table);
    if (IsPatientData(name) || IsServerOnly(name)) Deny("No text search of " + std::string(table));
    return inner_.SearchText(table, field, words, limit);
}

void AuthorizedStorage::RequireWriter(const std::string& table, const FieldValues& values, const Record* existing) {
    if (IsServerOnly(table) || table == schema::kAuditTrail) Deny(table + " cannot be written");
    // Providers are everyone's; a hospital's own record (one that people or
    // cases belong to) is its administrators' alone.
    if (table == tbl::kProviderEntities && existing && std::to_string(existing->seq) != who_.hospital) {
        const std::string seq = std::to_string(existing->seq);
        if (inner_.Count(tbl::kPersonnel, {{cat::personnel::kHospital, CompareOp::Equal, seq, false}}) > 0 ||
            inner_.Count(tbl::kCases, {{cat::cases::kHospital, CompareOp::Equal, seq, false}}) > 0)
            Deny("Only its own administrators change a hospital's record");
    }
    if (table == tbl::kPersonnel && !who_.administrator) {
        // Anyone may change their own password, and nothing else of the record.
        const bool ownPassword = existing && existing->seq == who_.person && values.size() == 1 &&
                                 values.count(cat::personnel::kPassword);
        if (!ownPassword) Deny("Only administrators change personnel");
        return;
    }
    if (IsAdminTable(table) && !who_.administrator) Deny("Only administrators change " + table);
}

FieldValues AuthorizedStorage::Checked(const std::string& table, FieldValues values, const Record* existing) {
    auto sameHospital = [&](int field, const char* what) {
        const auto found = values.find(field);
        if (found == values.end()) {
            if (!existing) values[field] = who_.hospital;
        } else if (found->second != who_.hospital || who_.hospital.empty()) {
            Deny(std::string(what) + " belong to your own hospital");
        }
    };
    if (table == tbl::kCases) {
        sameHospital(cat::cases::kHospital, "Cases");
        const auto patient = values.find(cat::cases::kPatient);
        if (patient != values.end() && (!existing || existing->Field(cat::cases::kPatient) != patient->second))
            RequireNameablePatient(patient->second);
    }
    if (table == tbl::kPersonnel && who_.administrator) sameHospital(cat::personnel::kHospital, "Personnel");
    if (table == tbl::kPreferredProviders) sameHospital(cat::preferred_providers::kHospital, "Preferred providers");
    if (const ChildTable* child = ChildOf(table)) {
        const auto link = values.find(child->link);
        if (link != values.end() || !existing) {
            if (link == values.end() || ReachOfSeq(child->parent, SeqOf(link->second)).sight != Sight::Full)
                Deny(table + " must belong to a " + child->parent + " record of your hospital");
        }
    }
    if (table == tbl::kPersonnel) {
        const auto password = values.find(cat::personnel::kPassword);
        // Whatever is written is a password, even text shaped like a stored hash.
        if (password != values.end() && !password->second.empty()) password->second = hashPassword_(password->second);
    }
    return values;
}

void AuthorizedStorage::RequireNameablePatient(const std::string& patient) {
    if (patient.empty()) return;
    const std::int64_t seq = SeqOf(patient);
    // Only the number as it is written: "071" would count the cases of no one.
    if (seq > 0 && std::to_string(seq) == patient &&
        ((foundBySsn_ && foundBySsn_->count(seq)) || ReachOfSeq(tbl::kPatients, seq).sight == Sight::Full))
        return;
    Deny("A case may name a patient of your hospital, a new patient or one found by Social Security number");
}

void AuthorizedStorage::RequireUniqueEmail(const FieldValues& values, std::int64_t self) {
    const auto email = values.find(cat::personnel::kEmail);
    if (email == values.end() || email->second.empty()) return;
    std::vector<Condition> others{{cat::personnel::kEmail, CompareOp::Equal, email->second, false}};
    if (self) others.push_back({1, CompareOp::NotEqual, std::to_string(self), false});
    // Log-in finds a person by e-mail: a second holder could never log in.
    if (inner_.Count(tbl::kPersonnel, others) > 0) Deny("The e-mail address " + email->second + " is already in use");
}

void AuthorizedStorage::Changed(const std::string& table) {
    // A new or moved case changes whose its patient is.
    if (table == tbl::kCases)
        std::erase_if(reach_, [](const auto& item) { return item.first.first == tbl::kPatients; });
}

std::int64_t AuthorizedStorage::Add(std::string_view tableName, const FieldValues& values) {
    const std::string table = Canonical(tableName);
    RequireWriter(table, values, nullptr);
    const FieldValues stored = Checked(table, values, nullptr);
    std::int64_t seq = 0;
    // The e-mail check, the write and its audit row are one transaction: two
    // adds cannot both pass the check, and neither lands without its row.
    inner_.InTransaction([&] {
        if (table == tbl::kPersonnel) RequireUniqueEmail(stored, 0);
        seq = inner_.Add(table, stored);
        Written(audit_action::kAdd, table, seq, IsPatientData(table) ? ReachOfSeq(table, seq).patient : "",
                FieldList(values));
    });
    Changed(table);
    return seq;
}

bool AuthorizedStorage::Update(std::string_view tableName, std::int64_t seq, const FieldValues& values) {
    const std::string table = Canonical(tableName);
    const std::optional<Record> existing = inner_.Read(table, seq);
    if (!existing) return false;
    const Reach reach = ReachOf(table, *existing);
    if (reach.sight == Sight::None) return false;
    RequireWriter(table, values, &*existing);
    if (reach.sight != Sight::Full && !(table == tbl::kPersonnel && existing->seq == who_.person))
        Deny("Only people of its own hospital change this record");
    const FieldValues stored = Checked(table, values, &*existing);
    reach_.erase({table, seq});
    bool found = false;
    inner_.InTransaction([&] {
        if (table == tbl::kPersonnel) RequireUniqueEmail(stored, seq);
        found = inner_.Update(table, seq, stored);
        if (found) Written(audit_action::kUpdate, table, seq, reach.patient, FieldList(values));
    });
    if (!found) return false;
    Changed(table);
    return true;
}

bool AuthorizedStorage::Remove(std::string_view tableName, std::int64_t seq) {
    const std::string table = Canonical(tableName);
    const std::optional<Record> existing = inner_.Read(table, seq);
    if (!existing) return false;
    const Reach reach = ReachOf(table, *existing);
    if (reach.sight == Sight::None) return false;
    RequireWriter(table, {}, &*existing);
    if (reach.sight != Sight::Full) Deny("Only people of its own hospital delete this record");
    reach_.erase({table, seq});
    bool found = false;
    inner_.InTransaction([&] {
        found = inner_.Remove(table, seq);
        if (found) Written(audit_action::kDelete, table, seq, reach.patient);
    });
    if (!found) return false;
    Changed(table);
    return true;
}

std::optional<Storage::StoredFile> AuthorizedStorage::ReadRecordFile(std::string_view tableName, std::int64_t seq,
                                                                     int slot) {
    const std::string table = Canonical(tableName);
    // A record's files are read as the whole record is: what the physician
    // look-up or intake shows of it does not reach them.
    const std::optional<Record> record = inner_.Read(table, seq);
    const Reach reach = record ? ReachOf(table, *record) : Reach{};
    if (reach.sight != Sight::Full) return std::nullopt;
    NoteRead(table, seq, reach.patient, "file " + std::to_string(slot));
    return inner_.ReadRecordFile(table, seq, slot);
}

void AuthorizedStorage::WriteRecordFile(std::string_view tableName, std::int64_t seq, int slot,
                                        const StoredFile& file) {
    const std::string table = Canonical(tableName);
    const std::optional<Record> existing = inner_.Read(table, seq);
    const Reach reach = existing ? ReachOf(table, *existing) : Reach{};
    if (reach.sight == Sight::None) throw StorageError("no record " + std::to_string(seq) + " in " + table);
    // The same rights as an update of the record.
    RequireWriter(table, {}, &*existing);
    if (reach.sight != Sight::Full) Deny("Only people of its own hospital change this record");
    inner_.InTransaction([&] {
        inner_.WriteRecordFile(table, seq, slot, file);
        Written(audit_action::kUpdate, table, seq, reach.patient, "file " + std::to_string(slot));
    });
}

void AuthorizedStorage::InTransaction(const std::function<void()>& fn) { inner_.InTransaction(fn); }

void AuthorizedStorage::InReadTransaction(const std::function<void()>& fn) { inner_.InReadTransaction(fn); }

}  // namespace dalvero::server
