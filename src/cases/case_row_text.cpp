#include "case_row_text.h"

#include <cstdio>
#include <ctime>

#include "case_object.h"
#include "date_text.h"
#include "platform_utils.h"

namespace dalvero {

namespace {
constexpr double kDaysPerYear = 365.25;
constexpr double kOldestAge = 130;

// Ages outside (0, 130) are not shown. The birth date has no time of day,
// so the fraction of today that has passed is no age: born today is age 0.
bool ShownAge(double age) { return age * kDaysPerYear >= 1 && age < kOldestAge; }

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}
}  // namespace

double LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const CivilDate today{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return DaySerial(today) + seconds / 86400.0;
}

std::optional<double> AgeInYears(std::string_view birthDate, double now) {
    const std::string shown = DateToDisplay(birthDate);
    if (shown.empty()) return std::nullopt;
    const std::optional<CivilDate> birth = ParseDisplay(shown, FromDaySerial(static_cast<int>(now)));
    if (!birth) return std::nullopt;
    return (now - DaySerial(*birth)) / kDaysPerYear;
}

std::string RowName(const cCaseObject& c) { return c.LastName + ", " + c.FirstName; }

std::vector<std::string> CaseCellTexts(const cCaseObject& c, double now) {
    std::vector<std::string> cells(kCaseColumnCount);
    cells[kNameColumn] = RowName(c);
    cells[kCaseColumn] = c.CaseNumber;
    cells[kRoomColumn] = c.Room;
    cells[kBedColumn] = c.Bed;
    cells[kAdmitColumn] = DateToDisplay(c.AdmitDate);
    cells[kDischargeColumn] = DateToDisplay(c.DischargeDate);
    cells[kSexColumn] = c.Sex;
    const std::optional<double> age = AgeInYears(c.BirthDate, now);
    if (age && ShownAge(*age)) cells[kAgeColumn] = OneDecimal(*age);
    cells[kCaseWorkerColumn] = c.CaseWorkerName;
    return cells;
}

std::string DateSortKey(std::string_view stored) {
    try {
        return NormalizeDate(DateToDisplay(stored));
    } catch (const DateConversionError&) {
        return {};
    }
}

std::string CaseSortKey(const cCaseObject& c, int column, double now) {
    switch (column) {
    case kNameColumn: return RowName(c);
    case kCaseColumn: return c.CaseNumber;
    case kRoomColumn: return c.Room;
    case kBedColumn: return c.Bed;
    case kAdmitColumn: return DateSortKey(c.AdmitDate);
    case kDischargeColumn: return DateSortKey(c.DischargeDate);
    case kSexColumn: return c.Sex;
    case kAgeColumn: {
        const std::optional<double> age = AgeInYears(c.BirthDate, now);
        return FormatSortNumber(age && *age >= 0 && *age <= kOldestAge ? *age : 0);
    }
    case kStatusColumn: return c.Status;
    case kCaseWorkerColumn: return c.CaseWorkerName;
    default: return {};
    }
}

}  // namespace dalvero
