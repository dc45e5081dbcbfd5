#include "adt_fields.h"

#include <cctype>

#include "date_text.h"
#include "table_catalogue.h"

namespace dalvero::server::hl7 {

namespace cat = catalogue;

namespace {

constexpr char kDeleteValue[] = "\"\"";

// HL7's three states of a field: not sent (kept), "" (cleared), a value.
void Put(FieldValues& values, int field, const std::string& value) {
    if (value.empty()) return;
    values[field] = value == kDeleteValue ? std::string() : value;
}

std::string Digits(const std::string& text) {
    std::string digits;
    for (const char c : text)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    return digits;
}

// Only the codes the store's own choice lists hold.
void PutCode(FieldValues& values, int field, const std::string& code, std::initializer_list<const char*> allowed) {
    for (const char* kept : allowed)
        if (code == kept) values[field] = code;
}

int TwoDigits(const std::string& text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

}  // namespace

FieldValues PatientValues(const Message& m) {
    namespace p = cat::patients;
    FieldValues values;
    Put(values, p::kLastName, m.Value("PID", 5, 1));
    Put(values, p::kFirstName, m.Value("PID", 5, 2));
    Put(values, p::kMiddleName, m.Value("PID", 5, 3));
    const std::string ssn = Ssn(m);
    if (!ssn.empty()) values[p::kSsn] = ssn;
    const std::string birth = m.Value("PID", 7);
    if (birth == kDeleteValue) values[p::kBirthDate].clear();
    else if (const auto stamp = StoredDateTime(birth, "PID-7 date of birth"))
        values[p::kBirthDate] = stamp->substr(0, 8);
    return values;
}

FieldValues StayValues(const Message& m) {
    namespace c = cat::cases;
    FieldValues values;
    PutCode(values, c::kSex, m.Value("PID", 8), {c::kSexMale, c::kSexFemale});
    PutCode(values, c::kMaritalStatus, m.Value("PID", 16),
            {c::kMaritalSingle, c::kMaritalMarried, c::kMaritalDivorced});
    std::string street = m.Value("PID", 11, 1);
    const std::string other = m.Value("PID", 11, 2);
    if (!other.empty() && street != kDeleteValue) street += (street.empty() ? "" : " ") + other;
    Put(values, c::kStreet, street);
    Put(values, c::kCity, m.Value("PID", 11, 3));
    Put(values, c::kState, m.Value("PID", 11, 4));
    Put(values, c::kZip, m.Value("PID", 11, 5));
    // Home numbers (PID-13) first, then business ones (PID-14); an entry
    // that is an e-mail address (use code NET) goes to the e-mail field.
    std::vector<std::string> phones;
    for (const int field : {13, 14}) {
        for (int r = 0; r < m.Repetitions("PID", field); ++r) {
            if (m.Value("PID", field, 2, r) == "NET" || m.Value("PID", field, 3, r) == "Internet") {
                Put(values, c::kEmail, m.Value("PID", field, 4, r));
                continue;
            }
            const std::string local = m.Value("PID", field, 7, r);
            std::string digits = local.empty() ? Digits(m.Value("PID", field, 1, r))
                                               : Digits(m.Value("PID", field, 6, r) + local);
            if (!digits.empty()) phones.push_back(std::move(digits));
        }
    }
    if (!phones.empty()) values[c::kPhone] = phones[0];
    if (phones.size() > 1) values[c::kPhone2] = phones[1];
    Put(values, c::kRoom, m.Value("PV1", 3, 2));
    Put(values, c::kBed, m.Value("PV1", 3, 3));
    Put(values, c::kCaseNumber, VisitNumber(m));
    return values;
}

std::string Ssn(const Message& m) {
    const std::string text = m.Value("PID", 19);
    if (text.empty()) return {};
    const std::string digits = Digits(text);
    // Dashes and blanks are how people write it; anything else is not one.
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != ' ')
            throw AdtRefusal(error_code::kDataTypeError, "PID-19 is not a Social Security number: " + text);
    if (digits.size() != 9)
        throw AdtRefusal(error_code::kDataTypeError, "PID-19 is not a nine-digit Social Security number: " + text);
    return digits;
}

std::string RecordNumber(const Message& m) {
    for (int r = 0; r < m.Repetitions("PID", 3); ++r)
        if (m.Value("PID", 3, 5, r) == "MR" && !m.Value("PID", 3, 1, r).empty()) return m.Value("PID", 3, 1, r);
    return m.Value("PID", 3, 1);
}

std::string VisitNumber(const Message& m) { return m.Value("PV1", 19, 1); }

std::optional<std::string> StoredDateTime(const std::string& text, const char* where) {
    if (text.empty()) return std::nullopt;
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    const char after = digits < text.size() ? text[digits] : '\0';
    const bool shaped = (digits == 8 || digits == 10 || digits == 12 || digits == 14) &&
                        (after == '\0' || after == '.' || after == '+' || after == '-');
    std::string stamp = shaped ? text.substr(0, digits) : std::string();
    stamp.resize(14, '0');
    const bool valid = shaped && ParseYmd(stamp).has_value() && TwoDigits(stamp, 8) < 24 && TwoDigits(stamp, 10) < 60 &&
                       TwoDigits(stamp, 12) < 60;
    if (!valid) throw AdtRefusal(error_code::kDataTypeError, std::string(where) + " is not a date and time: " + text);
    return stamp;
}

std::optional<std::string> EventTime(const Message& m, int pv1Field) {
    for (const auto& [segment, field] : {std::pair{"PV1", pv1Field}, std::pair{"EVN", 6}, std::pair{"EVN", 2}}) {
        const std::string text = m.Value(segment, field);
        const std::string where = std::string(segment) + "-" + std::to_string(field);
        if (!text.empty()) return StoredDateTime(text, where.c_str());
    }
    return std::nullopt;
}

PersonName Attending(const Message& m) { return {m.Value("PV1", 7, 2), m.Value("PV1", 7, 3)}; }

}  // namespace dalvero::server::hl7
