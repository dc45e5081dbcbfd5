#include "adt_events.h"

#include <algorithm>

#include "adt_fields.h"
#include "schema.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "utf8_text.h"
#include "write_rules.h"

namespace dalvero::server::hl7 {

namespace {

namespace cat = catalogue;
namespace tbl = catalogue::tbl;
namespace cs = catalogue::cases;
namespace rn = schema::record_numbers;

constexpr char kRecordLocked[] = "206";  // HL7 table 0357: application record locked

[[noreturn]] void Refuse(const char* code, const std::string& text) { throw AdtRefusal(code, text); }

Condition Is(int field, std::string value) { return {field, CompareOp::Equal, std::move(value), false}; }
Condition Open() { return {cs::kClosed, CompareOp::NotEqual, cat::kYes, false}; }

std::vector<Record> Where(Storage& storage, const char* table, std::vector<Condition> where) {
    ListRead read;
    read.table = table;
    read.where = std::move(where);
    return storage.Select(read);
}

class Event {
public:
    Event(const Message& message, const AdtTarget& target) : m_(message), t_(target) {}

    AdtOutcome Admit() {
        std::string patient = FindPatient();
        FieldValues stay = StayValues(m_);
        const auto admitted = EventTime(m_, 44);
        if (!admitted) Refuse(error_code::kRequiredFieldMissing, "PV1-44 admit date/time is missing");
        const std::string visit = VisitNumber(m_);
        if (!visit.empty() && !Where(t_.view, tbl::kCases, {Is(cs::kCaseNumber, visit)}).empty())
            Refuse(error_code::kDuplicateKey, "Visit number " + visit + " has a case already");
        if (patient.empty()) {
            patient = AddPatient();
        } else if (visit.empty() && !Where(t_.view, tbl::kCases, {Is(cs::kPatient, patient), Open()}).empty()) {
            Refuse(error_code::kDuplicateKey, "The patient has an open case already");
        }
        KeepRecordNumber(patient);
        stay[cs::kPatient] = patient;
        stay[cs::kHospital] = t_.hospital;
        stay[cs::kAdmission] = admitted->substr(0, 8);
        std::erase_if(stay, [](const auto& item) { return item.second.empty(); });
        Check(tbl::kCases, stay, nullptr);
        const std::int64_t caseSeq = t_.view.Add(tbl::kCases, stay);
        LinkAttending(caseSeq);
        return {patient, caseSeq};
    }

    AdtOutcome Update() {
        const std::string patient = FindPatient();
        if (patient.empty()) Refuse(error_code::kUnknownKey, "Unknown patient");
        const FieldValues values = PatientValues(m_);
        const std::int64_t patientSeq = std::stoll(patient);
        const std::optional<Record> existing = t_.view.Read(tbl::kPatients, patientSeq);
        if (!existing) Refuse(error_code::kUnknownKey, "The patient has no case in this hospital");
        Write(tbl::kPatients, *existing, values);
        KeepRecordNumber(patient);
        // The stay's details go to the case the visit number names, or to
        // the patient's one open case; with several and no number, to none.
        const std::string visit = VisitNumber(m_);
        std::vector<Record> cases = visit.empty() ? Where(t_.view, tbl::kCases, {Is(cs::kPatient, patient), Open()})
                                                  : std::vector<Record>{FindCase(patient, false)};
        if (cases.size() != 1) return {patient, 0};
        FieldValues stay = StayValues(m_);
        stay.erase(cs::kCaseNumber);
        Write(tbl::kCases, cases.front(), stay);
        return {patient, cases.front().seq};
    }

    AdtOutcome Discharge() {
        const std::string patient = FindPatient();
        const Record theCase = FindCase(patient, false);
        const auto discharged = EventTime(m_, 45);
        if (!discharged) Refuse(error_code::kRequiredFieldMissing, "PV1-45 discharge date/time is missing");
        Write(tbl::kCases, theCase, {{cs::kDischarge, *discharged}});
        return {theCase.Field(cs::kPatient), theCase.seq};
    }

    AdtOutcome CancelDischarge() {
        const std::string patient = FindPatient();
        const Record theCase = FindCase(patient, true);
        Write(tbl::kCases, theCase, {{cs::kDischarge, ""}});
        return {theCase.Field(cs::kPatient), theCase.seq};
    }

    // An admission entered in error goes again, unless planners have begun
    // on it: their work is never thrown away by a message.
    AdtOutcome CancelAdmit() {
        const std::string patient = FindPatient();
        const Record theCase = FindCase(patient, false);
        const std::string seq = std::to_string(theCase.seq);
        const bool planned = !theCase.Field(cs::kCaseWorker).empty() || !theCase.Field(cs::kClosed).empty() ||
                             t_.view.Count(tbl::kCaseNeeds, {Is(cat::case_needs::kCase, seq)}) > 0 ||
                             t_.view.Count(tbl::kCaseFamily, {Is(cat::case_family::kCase, seq)}) > 0 ||
                             t_.view.Count(tbl::kDiagCodeDetail, {Is(cat::code_detail::kCase, seq)}) > 0 ||
                             t_.view.Count(tbl::kTreatmentCodeDetail, {Is(cat::code_detail::kCase, seq)}) > 0;
        if (planned)
            Refuse(kRecordLocked, "Case " + CaseName(theCase) + " is being planned already; a planner must cancel it");
        for (const Record& link : Where(t_.view, tbl::kCaseDoctorsLink, {Is(cat::case_doctors::kCase, seq)}))
            t_.view.Remove(tbl::kCaseDoctorsLink, link.seq);
        t_.view.Remove(tbl::kCases, theCase.seq);
        return {theCase.Field(cs::kPatient), theCase.seq};
    }

private:
    static std::string CaseName(const Record& theCase) {
        const std::string number = theCase.Field(cs::kCaseNumber);
        return number.empty() ? std::to_string(theCase.seq) : number;
    }

    // By SSN (PID-19), else by the hospital's record number (PID-3); empty
    // when neither finds one.
    std::string FindPatient() {
        const std::string ssn = Ssn(m_);
        const std::string number = RecordNumber(m_);
        if (ssn.empty() && number.empty())
            Refuse(error_code::kRequiredFieldMissing, "PID-19 (SSN) or PID-3 (record number) is needed");
        if (!ssn.empty()) {
            const std::vector<Record> found = Where(t_.view, tbl::kPatients, {Is(cat::patients::kSsn, ssn)});
            if (!found.empty()) return std::to_string(found.front().seq);
        }
        if (number.empty()) return {};
        const std::vector<Record> links = NumberLinks(number);
        return links.empty() ? std::string() : links.front().Field(rn::kPatient);
    }

    std::vector<Record> NumberLinks(const std::string& number) {
        return Where(t_.store, schema::kPatientRecordNumbers,
                     {Is(rn::kHospital, t_.hospital), Is(rn::kNumber, number)});
    }

    void KeepRecordNumber(const std::string& patient) {
        const std::string number = RecordNumber(m_);
        if (number.empty() || !NumberLinks(number).empty()) return;
        if (!IsUtf8(number)) Refuse(error_code::kDataTypeError, "PID-3 is not UTF-8 text");
        t_.store.Add(schema::kPatientRecordNumbers,
                     {{rn::kHospital, t_.hospital}, {rn::kNumber, number}, {rn::kPatient, patient}});
    }

    std::string AddPatient() {
        FieldValues values = PatientValues(m_);
        std::erase_if(values, [](const auto& item) { return item.second.empty(); });
        if (!values.count(cat::patients::kLastName))
            Refuse(error_code::kRequiredFieldMissing, "PID-5 family name is missing");
        Check(tbl::kPatients, values, nullptr);
        return std::to_string(t_.view.Add(tbl::kPatients, values));
    }

    // The case the visit number (PV1-19) names, else the patient's one open
    // case (with a discharge date, when discharged).
    Record FindCase(const std::string& patient, bool discharged) {
        const std::string visit = VisitNumber(m_);
        std::vector<Record> cases;
        if (!visit.empty()) {
            cases = Where(t_.view, tbl::kCases, {Is(cs::kCaseNumber, visit)});
        } else if (!patient.empty()) {
            std::vector<Condition> where{Is(cs::kPatient, patient), Open()};
            if (discharged) where.push_back({cs::kDischarge, CompareOp::NotEqual, "", false});
            cases = Where(t_.view, tbl::kCases, std::move(where));
        } else {
            Refuse(error_code::kUnknownKey, "Unknown patient");
        }
        if (cases.empty())
            Refuse(error_code::kUnknownKey, visit.empty() ? std::string("The patient has no such open case")
                                                          : "No case has visit number " + visit);
        if (cases.size() > 1)
            Refuse(error_code::kDuplicateKey, visit.empty() ? "The patient has several open cases; PV1-19 must name one"
                                                            : "Several cases have visit number " + visit);
        if (!patient.empty() && cases.front().Field(cs::kPatient) != patient)
            Refuse(error_code::kUnknownKey, "Visit number " + visit + " is another patient's");
        return cases.front();
    }

    void Check(const char* table, const FieldValues& values, const Record* existing) {
        for (const auto& [field, value] : values)
            if (!IsUtf8(value)) Refuse(error_code::kDataTypeError, std::string(table) + " values must be UTF-8 text");
        if (const auto refusal = CheckValueForm(table, values)) Refuse(error_code::kDataTypeError, refusal->text);
        if (const auto refusal = CheckCaseOpen(t_.store, table, values, existing)) Refuse(kRecordLocked, refusal->text);
    }

    void Write(const char* table, const Record& existing, const FieldValues& values) {
        if (values.empty()) return;
        Check(table, values, &existing);
        if (!t_.view.Update(table, existing.seq, values))
            Refuse(error_code::kUnknownKey, std::string(table) + " record is gone");
    }

    // The attending physician (PV1-7) becomes the case's primary physician
    // when exactly one physician of that name is in Personnel (the
    // hospital's own first); otherwise a planner chooses.
    void LinkAttending(std::int64_t caseSeq) {
        namespace pe = cat::personnel;
        const PersonName doctor = Attending(m_);
        if (doctor.family.empty()) return;
        std::vector<Condition> where{Is(pe::kLastName, doctor.family), Is(pe::kPhysician, cat::kYes)};
        if (!doctor.given.empty()) where.push_back(Is(pe::kFirstName, doctor.given));
        std::vector<Record> found = Where(t_.view, tbl::kPersonnel, std::move(where));
        if (found.size() > 1)
            std::erase_if(found, [&](const Record& person) { return person.Field(pe::kHospital) != t_.hospital; });
        if (found.size() != 1) return;
        namespace cd = cat::case_doctors;
        FieldValues link{{cd::kCase, std::to_string(caseSeq)},
                         {cd::kDoctor, std::to_string(found.front().seq)},
                         {cd::kPrimary, cd::kPrimaryMark}};
        if (const std::string specialty = found.front().Field(pe::kSpecialty); !specialty.empty())
            link[cd::kSpecialty] = specialty;
        t_.view.Add(tbl::kCaseDoctorsLink, link);
    }

    const Message& m_;
    const AdtTarget& t_;
};

}  // namespace

bool IsAdtEvent(std::string_view event) {
    for (const char* known : {"A01", "A03", "A04", "A08", "A11", "A13"})
        if (event == known) return true;
    return false;
}

AdtOutcome ApplyAdtEvent(const Message& message, std::string_view event, const AdtTarget& target) {
    Event apply(message, target);
    if (event == "A01" || event == "A04") return apply.Admit();
    if (event == "A08") return apply.Update();
    if (event == "A03") return apply.Discharge();
    if (event == "A11") return apply.CancelAdmit();
    if (event == "A13") return apply.CancelDischarge();
    Refuse(error_code::kUnsupportedEvent, "Unsupported event " + std::string(event));
}

}  // namespace dalvero::server::hl7
