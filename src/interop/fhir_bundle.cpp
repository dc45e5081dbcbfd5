#include "fhir_bundle.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "icd_code_text.h"
#include "json_text.h"

namespace dalvero {

namespace {

using namespace json_text;

// Quote status codes as the task states that mean the same.
struct QuoteState {
    const char* stored;
    const char* task;
    const char* name;
};
constexpr QuoteState kQuoteStates[] = {
    {"W", "requested", "Waiting"},
    {"A", "accepted", "Accepted"},
    {"R", "rejected", "Rejected"},
    {"X", "cancelled", "Cancelled"},
};

bool AllDigits(const std::string& text) {
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "+hh:mm" of the local zone at that moment; FHIR needs a zone on any
// date-time that has a time of day.
std::string ZoneOf(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    const std::time_t at = std::mktime(&local);
    std::tm resolved{};
    if (at == -1 || !::localtime_r(&at, &resolved)) return "Z";
    const long offset = resolved.tm_gmtoff / 60;
    if (offset == 0) return "Z";
    char text[24];
    std::snprintf(text, sizeof text, "%c%02ld:%02ld", offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                  (offset < 0 ? -offset : offset) % 60);
    return text;
}

// A stored date or date-time as a FHIR date or dateTime; absent when the
// text is none of the stored forms.
std::string DateTime(const std::string& stored) {
    if (!AllDigits(stored) || (stored.size() != 8 && stored.size() != 12 && stored.size() != 14)) return {};
    const std::string date = stored.substr(0, 4) + "-" + stored.substr(4, 2) + "-" + stored.substr(6, 2);
    if (stored.size() == 8) return date;
    const std::string seconds = stored.size() == 14 ? stored.substr(12, 2) : "00";
    return date + "T" + stored.substr(8, 2) + ":" + stored.substr(10, 2) + ":" + seconds +
           ZoneOf(std::stoi(stored.substr(0, 4)), std::stoi(stored.substr(4, 2)), std::stoi(stored.substr(6, 2)),
                  std::stoi(stored.substr(8, 2)), std::stoi(stored.substr(10, 2)));
}

std::string Date(const std::string& stored) { return Str(DateTime(stored.substr(0, 8))); }

std::string Ref(const char* type, const std::string& seq) {
    return seq.empty() ? std::string() : Obj({{"reference", Str(std::string(type) + "/" + seq)}});
}

std::string Name(const FhirPerson& p) {
    return Arr({Obj({{"family", Str(p.lastName)},
                     {"given", Arr({Str(p.firstName), Str(p.middleName)})},
                     {"prefix", Arr({Str(p.title)})}})});
}

// A contact point; absent without a value, which FHIR requires of it.
std::string ContactPoint(const char* system, const std::string& value) {
    return value.empty() ? std::string() : Obj({{"system", Str(system)}, {"value", Str(value)}});
}

std::string Telecom(const FhirPerson& p) {
    return Arr({ContactPoint("phone", p.phone), ContactPoint("phone", p.phone2), ContactPoint("email", p.email)});
}

std::string Address(const std::string& street, const std::string& city, const std::string& state,
                    const std::string& zip) {
    return Arr({Obj({{"line", Arr({Str(street)})},
                     {"city", Str(city)},
                     {"state", Str(state)},
                     {"postalCode", Str(zip)}})});
}

// A resource object with its type and id first.
std::string Resource(const char* type, const std::string& id, std::vector<Member> members) {
    members.insert(members.begin(), {{"resourceType", Str(type)}, {"id", Str(id)}});
    return Obj(members);
}

std::string Entry(const std::string& resource) { return Obj({{"resource", resource}}); }

std::string Gender(const std::string& sex) {
    if (sex == "M") return Str("male");
    if (sex == "F") return Str("female");
    return {};
}

std::string PatientOf(const FhirCase& c) {
    return Resource("Patient", c.patientSeq,
                    {{"identifier", Arr({Obj({{"system", Str(kSsnSystem)}, {"value", Str(c.ssn)}})})},
                     {"name", Name(c.patient)},
                     {"telecom", Telecom(c.patient)},
                     {"gender", Gender(c.sex)},
                     {"birthDate", Date(c.birthDate)},
                     {"address", Address(c.street, c.city, c.state, c.zip)}});
}

std::string EncounterOf(const FhirCase& c) {
    std::vector<std::string> participants;
    for (const FhirPerson& p : c.physicians) participants.push_back(Obj({{"individual", Ref("Practitioner", p.seq)}}));
    std::vector<std::string> diagnoses;
    for (std::size_t i = 0; i < c.diagnoses.size(); ++i)
        diagnoses.push_back(Obj({{"condition", Ref("Condition", c.diagnoses[i].seq)}, {"rank", Int(i + 1)}}));
    const bool finished = c.closed || !DateTime(c.discharge).empty();
    return Resource(
        "Encounter", c.seq,
        {{"identifier", Arr({Obj({{"value", Str(c.caseNumber)}})})},
         {"status", Str(finished ? "finished" : "in-progress")},
         {"class", Obj({{"system", Str("http://terminology.hl7.org/CodeSystem/v3-ActCode")},
                        {"code", Str("IMP")},
                        {"display", Str("inpatient encounter")}})},
         {"subject", Ref("Patient", c.patientSeq)},
         {"participant", Arr(participants)},
         {"period", Obj({{"start", Str(DateTime(c.admission))}, {"end", Str(DateTime(c.discharge))}})},
         {"diagnosis", Arr(diagnoses)}});
}

std::string CodeOf(const FhirCode& code, IcdBook book) {
    return Obj({{"coding", Arr({Obj({{"system", Str(kIcd9System)},
                                     {"code", Str(IcdCodeText(code.code, book))},
                                     {"display", Str(code.description)}})})},
                {"text", Str(code.description)}});
}

std::string ConditionOf(const FhirCase& c, const FhirCode& code) {
    return Resource("Condition", code.seq,
                    {{"code", CodeOf(code, IcdBook::Diagnoses)}, {"subject", Ref("Patient", c.patientSeq)},
                     {"encounter", Ref("Encounter", c.seq)}});
}

std::string ProcedureOf(const FhirCase& c, const FhirCode& code) {
    return Resource("Procedure", code.seq,
                    {{"status", Str("completed")},
                     {"code", CodeOf(code, IcdBook::Procedures)},
                     {"subject", Ref("Patient", c.patientSeq)},
                     {"encounter", Ref("Encounter", c.seq)}});
}

std::string PractitionerOf(const FhirPerson& p) {
    return Resource("Practitioner", p.seq, {{"name", Name(p)}, {"telecom", Telecom(p)}});
}

std::string RelatedPersonOf(const FhirCase& c, const FhirPerson& p) {
    return Resource("RelatedPerson", p.seq,
                    {{"patient", Ref("Patient", c.patientSeq)},
                     {"relationship", Arr({Obj({{"text", Str(p.relation)}})})},
                     {"name", Name(p)},
                     {"telecom", Telecom(p)}});
}

std::string CoverageOf(const FhirCase& c, std::size_t order) {
    const std::string& name = c.insurances[order];
    return Resource("Coverage", c.seq + "-" + std::to_string(order + 1),
                    {{"status", Str("active")},
                     {"type", Obj({{"text", Str(name)}})},
                     {"beneficiary", Ref("Patient", c.patientSeq)},
                     {"payor", Arr({Obj({{"display", Str(name)}})})},
                     {"order", Int(order + 1)}});
}

std::string ServiceRequestOf(const FhirCase& c, const FhirNeed& need) {
    return Resource(
        "ServiceRequest", need.seq,
        {{"status", Str(need.delivered ? "completed" : "active")},
         {"intent", Str("order")},
         {"category", Arr({Obj({{"coding", Arr({Obj({{"code", Str(need.category)},
                                                     {"display", Str(need.categoryName)}})})},
                                {"text", Str(need.categoryName)}})})},
         {"subject", Ref("Patient", c.patientSeq)},
         {"encounter", Ref("Encounter", c.seq)},
         {"occurrenceDateTime", Str(DateTime(need.required))},
         {"note", Arr({Obj({{"text", Str(need.description)}})})}});
}

std::string OrganizationOf(const FhirProvider& p) {
    return Resource("Organization", p.seq,
                    {{"name", Str(p.name)},
                     {"telecom", Arr({ContactPoint("phone", p.phone)})},
                     {"address", Address(p.street, p.city, p.state, p.zip)}});
}

std::string TaskOf(const FhirCase& c, const FhirNeed& need, const FhirQuote& quote) {
    // A status the store does not know is still the provider's answer; the
    // task stays open rather than claiming an outcome.
    const char* status = "requested";
    const char* name = nullptr;
    for (const QuoteState& s : kQuoteStates)
        if (quote.status == s.stored) status = s.task, name = s.name;
    return Resource("Task", quote.seq,
                    {{"status", Str(status)},
                     {"businessStatus", Obj({{"text", Str(name ? name : quote.status)}})},
                     {"intent", Str("order")},
                     {"focus", Ref("ServiceRequest", need.seq)},
                     {"for", Ref("Patient", c.patientSeq)},
                     {"encounter", Ref("Encounter", c.seq)},
                     {"authoredOn", Str(DateTime(quote.created))},
                     {"owner", Ref("Organization", quote.provider)}});
}

}  // namespace

std::string FhirBundleJson(const FhirCase& c) {
    std::vector<std::string> entries{Entry(PatientOf(c)), Entry(EncounterOf(c))};
    for (const FhirCode& code : c.diagnoses) entries.push_back(Entry(ConditionOf(c, code)));
    for (const FhirCode& code : c.procedures) entries.push_back(Entry(ProcedureOf(c, code)));
    for (const FhirPerson& p : c.physicians) entries.push_back(Entry(PractitionerOf(p)));
    for (const FhirPerson& p : c.family) entries.push_back(Entry(RelatedPersonOf(c, p)));
    for (std::size_t i = 0; i < c.insurances.size(); ++i)
        if (!c.insurances[i].empty()) entries.push_back(Entry(CoverageOf(c, i)));
    for (const FhirNeed& need : c.needs) entries.push_back(Entry(ServiceRequestOf(c, need)));
    for (const FhirProvider& p : c.providers) entries.push_back(Entry(OrganizationOf(p)));
    for (const FhirNeed& need : c.needs)
        for (const FhirQuote& quote : need.quotes) entries.push_back(Entry(TaskOf(c, need, quote)));
    return Obj({{"resourceType", Str("Bundle")}, {"type", Str("collection")}, {"entry", Arr(entries)}}) + "\n";
}

}  // namespace dalvero
