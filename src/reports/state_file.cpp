#include "state_file.h"

#include <algorithm>
#include <cctype>

#include "report_text.h"

namespace dalvero {

namespace {

constexpr std::size_t kDateWidth = 8;

constexpr std::size_t kCodeWidth = 7;

// A diagnosis or injury cause code and its present-on-admission flag.
template <class Sink>
void CodeAndFlag(Sink& out, const std::string& code, const std::string& flag) {
    out.Text(code, kCodeWidth);
    out.Text(flag, 1);
}

// Both files walk the fields in this one order; a sink decides how each is
// written.
template <class Sink>
void WriteFields(const ReportRecordDataClass& r, Sink& out) {
    out.Number(r.typeOfCare, 1);
    out.Text(r.facilityId, 6);
    out.Date(r.birthDate);
    out.Number(r.sex, 1);
    out.Number(r.ethnicity, 1);
    out.Number(r.race, 1);
    out.Text(r.zipCode, 5);
    out.Date(r.admissionDate);
    out.Number(r.admissionSourceSite, 1);
    out.Number(r.admissionSourceLicensure, 1);
    out.Number(r.admissionSourceRoute, 1);
    out.Number(r.admissionType, 1);
    out.Date(r.dischargeDate);
    CodeAndFlag(out, r.principalDiagnosis, r.principalDiagnosisPoa);
    for (const auto& other : r.otherDiagnoses) CodeAndFlag(out, other.code, other.presentOnAdmission);
    out.Text(r.principalProcedure, kCodeWidth);
    out.Date(r.principalProcedureDate);
    for (const auto& other : r.otherProcedures) {
        out.Text(other.code, kCodeWidth);
        out.Date(other.date);
    }
    CodeAndFlag(out, r.principalInjuryCause, r.principalInjuryCausePoa);
    for (const auto& other : r.otherInjuryCauses) CodeAndFlag(out, other.code, other.presentOnAdmission);
    out.NumericText(r.patientSsn, 9);
    out.NumericText(r.patientDisposition, 2);
    out.Number(r.totalCharges, 7);
    out.Text(r.abstractRecordNumber, 12);
    out.Text(r.dnrOrder, 1);
    out.NumericText(r.paymentPayerCategory, 2);
    out.Number(r.paymentCoverageType, 1);
    out.NumericText(r.paymentPlanCodeNumber, 4);
    out.NumericText(r.nationalProviderId, 10);
    out.Text(r.principalLanguage, 24);
}

struct FixedWidthSink {
    std::string line;

    // A number too large for its field (charges above 9999999) is written as
    // the largest the field holds, not cut to its last digits.
    void Number(long long value, std::size_t width) {
        const long long largest = std::stoll(std::string(width, '9'));
        NumericText(std::to_string(std::clamp(value, 0LL, largest)), width);
    }
    // Separators typed into a number (an SSN's dashes) are not part of it.
    void NumericText(std::string_view value, std::size_t width) {
        std::string digits;
        std::copy_if(value.begin(), value.end(), std::back_inserter(digits),
                     [](unsigned char c) { return std::isdigit(c); });
        line += PadField(digits, width, '0', Justify::Right);
    }
    void Text(std::string_view value, std::size_t width) {
        line += PadField(FixedWidthText(value), width, ' ', Justify::Left);
    }
    void Date(const CivilDate& date) {
        if (date.IsNull()) {
            line.append(kDateWidth, ' ');
            return;
        }
        const std::string shown = ToDisplay(date);  // mm/dd/yyyy
        line += shown.substr(0, 2) + shown.substr(3, 2) + shown.substr(6, 4);
    }
};

struct SpreadsheetSink {
    std::string line;

    void Number(long long value, std::size_t) { Column(std::to_string(value)); }
    void NumericText(std::string_view value, std::size_t) { Column(ColumnText(value)); }
    void Text(std::string_view value, std::size_t) { Column(ColumnText(value)); }
    void Date(const CivilDate& date) { Column(date.IsNull() ? std::string(kDateWidth, ' ') : ToDisplay(date)); }
    void Column(const std::string& value) { (line += value) += '\t'; }
};

std::string TitleLine() {
    std::vector<std::string> titles = {"Type of Care", "Facility Identification Number", "Date of Birth", "Sex",
                                       "Ethnicity", "Race", "Zip Code", "Admission Date", "Admission Source Site",
                                       "Admission Source Licensure", "Admission Source Route", "Admission Type",
                                       "Discharge Date", "Principal Diagnosis ICD Code", "POA for Principal Diagnosis"};
    for (std::size_t i = 0; i < ReportRecordDataClass::kOtherDiagnoses; ++i)
        titles.insert(titles.end(), {"Other Diagnosis ICD Code", "POA for Other Diagnosis"});
    titles.insert(titles.end(), {"Principal Procedure ICD Code", "Principal Procedure Date"});
    for (std::size_t i = 0; i < ReportRecordDataClass::kOtherProcedures; ++i)
        titles.insert(titles.end(), {"Other Procedure ICD Code", "Other Procedure Date"});
    titles.insert(titles.end(), {"Principal Injury Cause ICD Code", "POA for Principal Injury Cause"});
    for (std::size_t i = 0; i < ReportRecordDataClass::kOtherInjuryCauses; ++i)
        titles.insert(titles.end(), {"Other Injury Cause ICD Code", "POA for Other Injury Cause"});
    titles.insert(titles.end(), {"Patient SSN", "Patient Disposition", "Total Charges", "Abstract Record Number",
                                 "DNR Order", "Payment Payer Category", "Payment Coverage Type",
                                 "Payment Plan Code Number", "National Provider ID", "Principal Language"});
    SpreadsheetSink sink;
    for (const std::string& title : titles) sink.Column(title);
    return sink.line;
}

}  // namespace

void SetCodes(ReportRecordDataClass& record, const std::vector<std::string>& diagnoses,
              const std::vector<std::string>& procedures) {
    for (std::size_t i = 0; i < diagnoses.size() && i <= record.otherDiagnoses.size(); ++i)
        (i == 0 ? record.principalDiagnosis : record.otherDiagnoses[i - 1].code) = diagnoses[i];
    for (std::size_t i = 0; i < procedures.size() && i <= record.otherProcedures.size(); ++i)
        (i == 0 ? record.principalProcedure : record.otherProcedures[i - 1].code) = procedures[i];
}

std::optional<std::vector<std::string>> StateFileLines(const std::vector<ReportRecordDataClass>& records) {
    if (records.size() > kMaxStateFileRecords) return std::nullopt;
    std::vector<std::string> lines;
    lines.reserve(records.size());
    for (const ReportRecordDataClass& record : records) {
        FixedWidthSink sink;
        sink.line.reserve(kStateLineLength);
        WriteFields(record, sink);
        lines.push_back(std::move(sink.line));
    }
    return lines;
}

std::vector<std::string> StateSpreadsheetLines(const std::vector<ReportRecordDataClass>& records) {
    std::vector<std::string> lines{TitleLine()};
    for (const ReportRecordDataClass& record : records) {
        SpreadsheetSink sink;
        WriteFields(record, sink);
        lines.push_back(std::move(sink.line));
    }
    return lines;
}

}  // namespace dalvero
