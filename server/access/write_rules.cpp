#include "write_rules.h"

#include <algorithm>
#include <array>
#include <utility>

#include "date_text.h"
#include "string_list.h"
#include "schema.h"
#include "table_catalogue.h"
#include "whole_number.h"

namespace dalvero::server {

namespace {
namespace cat = catalogue;
namespace tbl = catalogue::tbl;

struct FieldRule {
    const char* table;
    int field;
    int maxBytes;  // 0: a date or date-time
};

constexpr std::array kRules{
    FieldRule{tbl::kCases, cat::cases::kAdmission, 0},
    FieldRule{tbl::kCases, cat::cases::kDischarge, 0},
    FieldRule{tbl::kPatients, cat::patients::kBirthDate, 0},
    FieldRule{tbl::kCaseNeeds, cat::case_needs::kCreated, 0},
    FieldRule{tbl::kCaseNeeds, cat::case_needs::kRequired, 0},
    FieldRule{tbl::kCaseNeeds, cat::case_needs::kDelivered, 0},
    FieldRule{tbl::kCaseNeedsQuote, cat::quotes::kCreated, 0},
    FieldRule{tbl::kCases, cat::cases::kDiagnosisNote, cat::cases::kDiagnosisNoteBytes},
    FieldRule{tbl::kCases, cat::cases::kHealthDetails, cat::cases::kHealthDetailsBytes},
    FieldRule{tbl::kCaseNeeds, cat::case_needs::kDescription, cat::case_needs::kDescriptionBytes},
    FieldRule{tbl::kCaseNeedsQuote, cat::quotes::kNote, cat::quotes::kNoteBytes},
};

std::string FieldName(std::string_view table, int field) {
    return std::string(table) + " f" + std::to_string(field);
}

bool IsYesText(const std::string& text) { return SameText(text, cat::kYes); }

std::optional<Record> ReadLink(Storage& storage, std::string_view table, const std::string& seq) {
    const std::optional<std::int64_t> number = ParseWholeNumber(seq);
    if (!number) return std::nullopt;
    return storage.Read(table, *number);
}

// The case a need belongs to.
std::optional<Record> CaseOfNeed(Storage& storage, const std::string& needSeq) {
    const std::optional<Record> need = ReadLink(storage, tbl::kCaseNeeds, needSeq);
    if (!need) return std::nullopt;
    return ReadLink(storage, tbl::kCases, need->Field(cat::case_needs::kCase));
}

// A value the write sets for field, or the stored one.
std::string Linked(const FieldValues& values, const Record* existing, int field) {
    const auto set = values.find(field);
    if (set != values.end()) return set->second;
    return existing ? existing->Field(field) : std::string();
}
}  // namespace

std::optional<WriteRefusal> CheckValueForm(std::string_view table, const FieldValues& values) {
    for (const FieldRule& rule : kRules) {
        if (!SameText(table, rule.table)) continue;
        const auto value = values.find(rule.field);
        if (value == values.end()) continue;
        if (rule.maxBytes == 0 && !IsStoredDateTime(value->second))
            return WriteRefusal{WriteRefusal::Why::BadValue,
                                "\"" + value->second + "\" is no date or date-time for " +
                                    FieldName(table, rule.field) + " (yyyymmdd, yyyymmddhhnn or yyyymmddhhnnss)"};
        if (rule.maxBytes > 0 && value->second.size() > static_cast<std::size_t>(rule.maxBytes))
            return WriteRefusal{WriteRefusal::Why::BadValue,
                                "The text for " + FieldName(table, rule.field) + " is longer than " +
                                    std::to_string(rule.maxBytes) + " characters"};
    }
    return std::nullopt;
}

std::optional<WriteRefusal> CheckCaseOpen(Storage& storage, std::string_view table, const FieldValues& values,
                                          const Record* existing) {
    std::optional<Record> theCase;
    if (SameText(table, tbl::kCases)) {
        // Reopening is the one change a closed case takes.
        const auto closed = values.find(cat::cases::kClosed);
        if (!existing || (closed != values.end() && !IsYesText(closed->second))) return std::nullopt;
        theCase = *existing;
    } else if (SameText(table, tbl::kCaseNeeds)) {
        theCase = ReadLink(storage, tbl::kCases, Linked(values, existing, cat::case_needs::kCase));
    } else if (SameText(table, tbl::kCaseNeedsQuote)) {
        // Closing a case closes its quotes, after it is closed.
        const bool closingMarkOnly = existing && values.size() == 1 && values.count(cat::quotes::kClosingMark);
        if (closingMarkOnly) return std::nullopt;
        theCase = CaseOfNeed(storage, Linked(values, existing, schema::quote_need::kNeed));
    } else {
        return std::nullopt;
    }
    if (!theCase || !IsYesText(theCase->Field(cat::cases::kClosed))) return std::nullopt;
    return WriteRefusal{WriteRefusal::Why::CaseClosed, ClosedCaseText(storage, *theCase), theCase->seq};
}

std::string ClosedCaseText(Storage& storage, const Record& theCase) {
    std::string who;
    if (const std::optional<Record> person = ReadLink(storage, tbl::kPersonnel, theCase.Field(cat::cases::kClosedBy)))
        who = person->Field(cat::personnel::kFirstName) + " " + person->Field(cat::personnel::kLastName);
    const bool named = who.find_first_not_of(' ') != std::string::npos;
    return "This case was closed" + (named ? " by " + who : std::string()) +
           "; it takes no changes until it is reopened.";
}

}  // namespace dalvero::server
