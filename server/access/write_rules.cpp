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

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = -1;
        if (lead < 0x80) extra = 0;
        else if (lead >= 0xc2 && lead <= 0xdf) extra = 1;
        else if (lead >= 0xe0 && lead <= 0xef) extra = 2;
        else if (lead >= 0xf0 && lead <= 0xf4) extra = 3;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xc0) != 0x80) return false;
        if (extra >= 2) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) || (lead == 0xf0 && second < 0x90) ||
                (lead == 0xf4 && second > 0x8f))
                return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

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
