#pragma once
// The patient's health check-list: its groups and entries as one table, the
// stored text of its state (Cases f1002, a JSON object keyed by the group
// and entry control names, "~~~" when nothing is filled) and the readable
// summary of that text.

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

struct HealthEntry {
    enum Kind { Check, Radio, Edit, Memo, Grid, Label };
    Kind kind;
    // The control's name, stored in the text and so part of its format.
    const char* name;
    // A box's caption or a labelled edit's label; none for memos and the grid.
    const char* caption;
};

struct HealthGroup {
    const char* name;
    const char* caption;  // with its surrounding blanks, as stored
    std::vector<HealthEntry> entries;
};

// The 19 groups in their order on the screen and in the text.
const std::vector<HealthGroup>& HealthChecklist();

inline constexpr char kPrescriptionsGrid[] = "PrescriptionsStringGrid";
inline constexpr int kPrescriptionLines = 20;
inline constexpr int kPrescriptionColumns = 7;
// The grid's heading row; column 0 numbers the lines.
const std::array<const char*, kPrescriptionColumns + 1>& PrescriptionHeadings();

// What the check-list holds: per entry name, "Y" for a ticked box or chosen
// button and the text of an edit or memo (absent when unticked or empty);
// the prescriptions by line and column, both from 1.
struct HealthDetail {
    std::map<std::string, std::string, std::less<>> values;
    std::array<std::array<std::string, kPrescriptionColumns + 1>, kPrescriptionLines + 1> grid{};

    std::string Value(std::string_view name) const;
};

// The stored text; "~~~" when nothing is filled. User text is stored as JSON
// strings and so reads back byte for byte.
std::string HealthDetailText(const HealthDetail& detail);
// The state a stored text gives; text that names no entry, "~~~" and text that
// does not parse give an empty check-list.
HealthDetail ParseHealthDetail(std::string_view text);
// One line per group in stored order ("Mobility  --  Bedridden"), the
// prescriptions as lines of their own.
std::vector<std::string> HealthSummaryLines(std::string_view text);
// Those lines as one text, for a memo.
std::string HealthSummaryText(std::string_view text);

}  // namespace dalvero
