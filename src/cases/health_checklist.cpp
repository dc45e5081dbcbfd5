#include "health_checklist.h"

#include <algorithm>
#include <cctype>

#include "json_node.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {

using E = HealthEntry;

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string LineName(int line) { return "Line" + std::to_string(line); }
std::string ColName(int column) { return "Col" + std::to_string(column); }

bool LineHoldsText(const HealthDetail& detail, int line) {
    const auto& cells = detail.grid[static_cast<std::size_t>(line)];
    return std::any_of(cells.begin() + 1, cells.end(), [](const std::string& c) { return !c.empty(); });
}

// The prescriptions member: lines with text only. An empty grid adds nothing,
// so that a check-list with nothing filled is stored as empty.
void AddGrid(const HealthDetail& detail, const HealthGroup& group, cJsonNode& root) {
    bool any = false;
    for (int line = 1; line <= kPrescriptionLines; ++line) any = any || LineHoldsText(detail, line);
    if (!any) return;
    cJsonNode* g = root.GetMember(group.name);
    cJsonNode* grid = g->GetMember("Details")->GetMember(kPrescriptionsGrid);
    for (int line = 1; line <= kPrescriptionLines; ++line) {
        if (!LineHoldsText(detail, line)) continue;
        cJsonNode* l = grid->GetMember(LineName(line));
        for (int col = 1; col <= kPrescriptionColumns; ++col) {
            const std::string& cell = detail.grid[static_cast<std::size_t>(line)][static_cast<std::size_t>(col)];
            if (!cell.empty()) l->AddString(ColName(col), cell);
        }
    }
    g->AddMember("Version", "1");
    g->AddString("Caption", group.caption);
    g->AddString("Name", kPrescriptionsGrid);
}

}  // namespace

const std::vector<HealthGroup>& HealthChecklist() {
    static const std::vector<HealthGroup> kGroups{
        {"MobilityGroupBox", " Mobility ",
         {{E::Radio, "Mobility1", "Ambulate w/Assist"}, {E::Radio, "Mobility2", "Chair w/Assist"},
          {E::Radio, "Mobility3", "Bedridden"}, {E::Radio, "MobilityNARadioButton", "N/A"}}},
        {"AdvanceDirectivesGroup", " Advance Directives ",
         {{E::Check, "AdvanceDir1", "DNR"}, {E::Check, "AdvanceDir2", "DNI"}, {E::Check, "AdvanceDir3", "Feeding"},
          {E::Check, "AdvanceDir4", "No Antibiodics"}, {E::Check, "AdvanceDir5", "Do Not Hospitalize"},
          {E::Check, "AdvanceDir6", "No IV's"}, {E::Check, "AdvanceDir7", "Only Comfort Care"},
          {E::Check, "AdvanceDir8", "No Feeding Tube"}, {E::Check, "AdvanceDirectiveNACheckBox", "N/A"}}},
        {"PowerOfAttorneyGroup", " Power Of Attorney ",
         {{E::Check, "PowerOfAttorney1", "Durable Power of Attorney"},
          {E::Check, "PowerOfAttorney2", "Medical Power of Attorney"},
          {E::Check, "PowerOfAttorney3", "Advance Directives"}, {E::Check, "AttorneyNACheckBox", "N/A"}}},
        {"ImmunityGroup", " Immunity ",
         {{E::Check, "Immunity1", "Flu Shot"}, {E::Check, "Immunity2", "Pneumonia"},
          {E::Check, "Immunity3", "Tetanus"}, {E::Check, "Immunity4", "Zostavaz"},
          {E::Check, "Immunity5", "PPD Status"}, {E::Edit, "ImmunityDateEdit", "Date "},
          {E::Check, "ImmunityNACheckBox", "N/A"}}},
        {"BladderGroup", " Bladder ",
         {{E::Radio, "Bladder1", "Continent"}, {E::Radio, "Bladder2", "Incontinent"},
          {E::Radio, "Bladder3", "Occasional Incontinent"}, {E::Radio, "Bladder4", "F/C"},
          {E::Edit, "BladderOther", "Other "}, {E::Radio, "BladderNARadioButton", "N/A"}}},
        {"BowelGroup", " Bowel ",
         {{E::Radio, "Bowel1", "Continent"}, {E::Radio, "Bowel2", "Incontinent"},
          {E::Radio, "Bowel3", "Occasional Incontinent"}, {E::Radio, "Bowel4", "Colostomy"},
          {E::Edit, "BowelOther", "Other "}, {E::Radio, "BowelNARadioButton", "N/A"}}},
        {"VisionGroup", " Vision ",
         {{E::Check, "Vision1", "Glasses"}, {E::Check, "Vision2", "Blind Left"}, {E::Check, "Vision3", "Blind Right"},
          {E::Check, "Vision4", "Cataracts"}, {E::Check, "Vision5", "Refuses Glasses"},
          {E::Edit, "VisionOther", "Other "}, {E::Check, "VisionNACheckBox", "N/A"}}},
        {"SpeechGroup", " Speech ",
         {{E::Edit, "SpeechOther", "Other "}, {E::Radio, "Speech1", "Verbal"}, {E::Radio, "Speech2", "Nonverbal"},
          {E::Radio, "Speech3", "Aphasic"}, {E::Radio, "Speech4", "Garbled"},
          {E::Radio, "SpeechNARadioButton", "N/A"}}},
        {"HearingGroup", " Hearing ",
         {{E::Label, "HearingAidLabel", "Hearing Aid"}, {E::Check, "Hearing1", "Left"},
          {E::Check, "Hearing2", "Right"}, {E::Check, "Hearing3", "Refuses Aids"},
          {E::Check, "Hearing4", "Partially Deaf"}, {E::Check, "Hearing5", "Deaf"},
          {E::Edit, "HearingOther", "Other "}, {E::Check, "HearingNACheckBox", "N/A"}}},
        {"PhysicalGroup", " Physical ",
         {{E::Edit, "PhysicalEdit1", "Amputation "}, {E::Edit, "PhysicalEdit2", "Paralysis (R L) "},
          {E::Edit, "PhysicalEdit3", "Weakness (R L) "}, {E::Edit, "PhysicalEdit4", "Contractures "},
          {E::Check, "PhysicalNACheckBox", "N/A"}}},
        {"DentalGroup", " Dental Condition ",
         {{E::Check, "Dental1", "Natural Teeth"}, {E::Check, "Dental2", "Cavities"},
          {E::Check, "Dental3", "Missing Teeth"}, {E::Check, "Dental4", "Upper Denture"},
          {E::Check, "Dental5", "Lower Denture"}, {E::Edit, "DentalOther", "Description"},
          {E::Check, "Dental6", "Mouth Sores"}, {E::Check, "DentalNACheckBox", "N/A"}}},
        {"CognitionGroup", " Cognition ",
         {{E::Check, "Cognition1", "Alert"}, {E::Check, "Cognition2", "Oriented"},
          {E::Check, "Cognition3", "Confused at times"}, {E::Check, "Cognition4", "Disoriented"},
          {E::Check, "Cognition5", "Comatose"}, {E::Edit, "CognitionOther", "Other "},
          {E::Check, "Cognition6", "Vegetative State"}, {E::Check, "Cognition7", "Cooperative"},
          {E::Check, "Cognition8", "Uncooperative"}, {E::Check, "CognitionNACheckBox", "N/A"}}},
        {"ActivityPotentialGroup", " Activity Potential ",
         {{E::Check, "Activity1", "Religion"}, {E::Check, "Activity2", "Reading"},
          {E::Check, "Activity3", "Arts and Crafts"}, {E::Check, "Activity4", "Television"},
          {E::Check, "Activity5", "No Activities"}, {E::Edit, "ActivityOther", "Other "},
          {E::Check, "ActivityNACheckBox", "N/A"}}},
        {"RehabGroup", " Rehab Discharge Potential ",
         {{E::Check, "Rehab1", "Good"}, {E::Check, "Rehab2", "Fair"}, {E::Check, "Rehab3", "Poor"},
          {E::Check, "Rehab4", "Motivated"}, {E::Check, "Rehab5", "Follows Instructions"},
          {E::Edit, "RehabOther", "Other "}, {E::Check, "RehabNACheckBox", "N/A"}}},
        {"FunctionalStatusGroup", " Functional Status ",
         {{E::Check, "Functional1", "Bathing"}, {E::Check, "Functional2", "Dressing"},
          {E::Check, "Functional3", "Eating"}, {E::Check, "Functional4", "Personal Hygiene"},
          {E::Check, "Functional5", "Transfers"}, {E::Edit, "FunctionalOther", "Description "},
          {E::Check, "Functional6", "Bed Mobility"}, {E::Check, "Functional7", "Toilet Use"},
          {E::Check, "Functional8", "Ambulation"}, {E::Check, "Functional9", "Communication"},
          {E::Check, "FunctionalNACheckBox", "N/A"}}},
        {"SkinConditionGroup", " Skin Condition ",
         {{E::Check, "SkinCondition1", "Clear"}, {E::Check, "SkinCondition2", "Rash"},
          {E::Check, "SkinCondition3", "Skin Tears"}, {E::Check, "SkinCondition4", "Bruises Easily"},
          {E::Check, "SkinCondition5", "Pressure sores"}, {E::Edit, "SkinConditionOther", "Description "},
          {E::Check, "SkinNACheckBox", "N/A"}}},
        {"AllergiesGroupBox", " Allergies ",
         {{E::Memo, "AllergiesMemo", ""}, {E::Check, "AllergiesNACheckBox", "N/A"}}},
        {"PrescriptionsGroupBox", " Prescriptions ",
         {{E::Grid, kPrescriptionsGrid, ""}, {E::Check, "PrescriptionsNACheckBox", "N/A"}}},
        {"WoundsGroupBox", " Wounds ", {{E::Memo, "WoundsMemo", ""}, {E::Check, "WoundsNACheckBox", "N/A"}}},
    };
    return kGroups;
}

const std::array<const char*, kPrescriptionColumns + 1>& PrescriptionHeadings() {
    static const std::array<const char*, kPrescriptionColumns + 1> kHeadings{
        "#", "Name", "Dosage", "Schedule", "Route", "Indication", "Stop", "Last Given"};
    return kHeadings;
}

std::string HealthDetail::Value(std::string_view name) const {
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
}

std::string HealthDetailText(const HealthDetail& detail) {
    cJsonNode root;
    for (const HealthGroup& group : HealthChecklist()) {
        for (const HealthEntry& entry : group.entries) {
            if (entry.kind == E::Grid) {
                AddGrid(detail, group, root);
                continue;
            }
            const std::string value = detail.Value(entry.name);
            if (entry.kind == E::Label || value.empty()) continue;
            if ((entry.kind == E::Check || entry.kind == E::Radio) && value != "Y") continue;
            cJsonNode* g = root.GetMember(group.name);
            if (!g->HasMember("Caption")) g->AddString("Caption", group.caption);
            cJsonNode* item = g->GetMember("Details")->GetMember(entry.name);
            if (entry.kind != E::Memo) item->AddString("Caption", entry.caption);
            item->AddString("Data", value);
        }
    }
    return root.Count() == 0 ? std::string(catalogue::kEmptyValue) : root.ToText();
}

HealthDetail ParseHealthDetail(std::string_view text) {
    HealthDetail detail;
    cJsonNode root(text == catalogue::kEmptyValue ? std::string_view() : text);
    for (const HealthGroup& group : HealthChecklist()) {
        cJsonNode* g = root.HasMember(group.name) ? root.GetMember(group.name) : nullptr;
        cJsonNode* details = g && g->HasMember("Details") ? g->GetMember("Details") : nullptr;
        if (!details) continue;
        for (const HealthEntry& entry : group.entries) {
            cJsonNode* item = details->HasMember(entry.name) ? details->GetMember(entry.name) : nullptr;
            if (!item) continue;
            if (entry.kind == E::Grid) {
                for (int line = 1; line <= kPrescriptionLines; ++line)
                    for (int col = 1; col <= kPrescriptionColumns; ++col)
                        if (cJsonNode* l = item->HasMember(LineName(line)) ? item->GetMember(LineName(line)) : nullptr)
                            detail.grid[static_cast<std::size_t>(line)][static_cast<std::size_t>(col)] =
                                l->GetString(ColName(col));
                continue;
            }
            const std::string data = item->GetString("Data");
            if (entry.kind == E::Check || entry.kind == E::Radio) {
                if (Upper(data) == "Y") detail.values[entry.name] = "Y";
            } else if (!data.empty()) {
                detail.values[entry.name] = data;
            }
        }
    }
    return detail;
}

std::vector<std::string> HealthSummaryLines(std::string_view text) {
    std::vector<std::string> lines;
    cJsonNode root(text == catalogue::kEmptyValue ? std::string_view() : text);
    for (std::size_t i = 0; i < static_cast<std::size_t>(root.Count()); ++i) {
        cJsonNode* g = root.ChildAt(i);
        if (!g) continue;
        const std::string heading = g->HasMember("Caption") ? Trimmed(g->GetString("Caption")) + "  --  " : "";
        std::string line = heading;
        bool any = false;
        cJsonNode* details = g->HasMember("Details") ? g->GetMember("Details") : nullptr;
        for (std::size_t j = 0; details && j < static_cast<std::size_t>(details->Count()); ++j) {
            cJsonNode* item = details->ChildAt(j);
            if (!item) continue;
            if (details->NameAt(j) == kPrescriptionsGrid) {
                lines.insert(lines.end(), {"", "Prescriptions:"});
                for (int n = 1; n <= kPrescriptionLines; ++n) {
                    if (!item->HasMember(LineName(n))) continue;
                    cJsonNode* l = item->GetMember(LineName(n));
                    std::string row;
                    for (int col = 1; col <= 9; ++col) {
                        std::string cell = l->GetString(ColName(col));
                        if (cell.empty()) continue;
                        if (col == 6) cell = "Take Until: " + cell;
                        if (col == 7) cell = "Last Given: " + cell;
                        row += (row.empty() ? "" : ", ") + cell;
                    }
                    lines.push_back("   " + row);
                }
                lines.emplace_back();
                line.clear();
                any = false;
                continue;
            }
            const std::string caption = item->GetString("Caption");
            const std::string data = item->GetString("Data");
            if (Upper(data) == "Y") line += Trimmed(caption);
            else line += caption.empty() ? data : caption + ": " + data;
            line += "   ";
            any = true;
        }
        // A group with nothing under its caption adds no line.
        if (any) lines.push_back(line.substr(0, line.size() - 3));
    }
    return lines;
}

std::string HealthSummaryText(std::string_view text) {
    std::string joined;
    for (const std::string& line : HealthSummaryLines(text)) joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

}  // namespace dalvero
