#include "case_labels.h"

#include <cctype>

#include "date_text.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace cs = catalogue::cases;

std::string SsnDigits(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    return digits;
}

std::string FormatSsn(std::string_view digitsIn) {
    std::string text(digitsIn.substr(0, 9));
    const std::size_t n = text.size();
    if (n >= 5) text.insert(5, "-");
    if (n >= 3) text.insert(3, "-");
    return text;
}

std::string SsnLabel(std::string_view stored) { return stored.size() == 9 ? FormatSsn(stored) : std::string(); }

std::string PatientFullName(std::string_view first, std::string_view middle, std::string_view last) {
    std::string name(first);
    name += ' ';
    if (!middle.empty()) (name += middle) += ' ';
    return name += last;
}

std::string GenderMaritalText(std::string_view gender, std::string_view marital) {
    const auto starts = [](std::string_view text, const char* letter) { return text.starts_with(letter); };
    std::string g(gender), m(marital);
    if (starts(gender, cs::kSexFemale)) g = "Female";
    else if (starts(gender, cs::kSexMale)) g = "Male";
    if (starts(marital, cs::kMaritalDivorced)) m = "Divorced";
    else if (starts(marital, cs::kMaritalMarried)) m = "Married";
    else if (starts(marital, cs::kMaritalSingle)) m = "Single";
    return g.empty() || m.empty() ? g + m : g + ", " + m;
}

std::string LeftWithText(std::string_view how, std::string_view explanation) {
    std::string text;
    switch (how.empty() ? '\0' : how.front()) {
    case '1': text = "Left on their own "; break;
    case '2': text = "Left with family member "; break;
    case '3': text = "Transported "; break;
    case '4': text = "Left "; break;
    default: break;
    }
    if (!explanation.empty()) ((text += "(") += explanation) += ")";
    return text;
}

std::string RoomText(std::string_view room, std::string_view bed) {
    std::string text(room);
    if (!bed.empty()) (text += "   Bed: ") += bed;
    return text;
}

std::string PersonDisplayName(std::string_view title, std::string_view first, std::string_view last) {
    std::string name;
    if (!title.empty()) (name += title) += ' ';
    return ((name += first) += ' ') += last;
}


std::string DateTimeToDisplay(std::string_view text) {
    if (text.size() < 8) return {};
    if (text.find('/') != std::string_view::npos) return std::string(text);
    std::string shown = DateToDisplay(text.substr(0, 8));
    const std::string time = StampTimeOfDay(text);
    if (time.empty() || shown.empty()) return shown;
    const int hour = ToIntDef(time.substr(0, 2), 0);
    const std::string minutes = time.substr(3);
    // Midnight and noon read as 12 on the 12-hour clock.
    if (hour == 0) return shown + " 12:" + minutes + " AM";
    if (hour < 12) return shown + " " + time + " AM";
    return shown + " " + std::to_string(hour == 12 ? 12 : hour - 12) + ":" + minutes + " PM";
}

std::string DischargeStamp(std::string_view ymd, std::string_view hhnn) {
    if (ymd.empty()) return {};
    return std::string(ymd) + (hhnn.empty() ? std::string("0000") : std::string(hhnn)) + "00";
}

const std::vector<Language>& IntakeLanguages() {
    static const std::vector<Language> kList{
        {"ENG", "English"},    {"AMH", "Amharic"},    {"ARA", "Arabic"},
        {"ARM", "Armenian"},   {"YUE", "Cantonese (Yue Chinese)"},
        {"CHI", "Chinese"},    {"HRV", "Croatian"},   {"PES", "Farsi"},
        {"AMI", "Formosan (Amis)"}, {"FRE", "French"}, {"CPF", "French Creole"},
        {"GER", "German"},     {"GRE", "Greek"},      {"GUJ", "Gujarati"},
        {"HEB", "Hebrew"},     {"HIN", "Hindi"},      {"HMN", "Hmong"},
        {"HUN", "Hungarian"},  {"HSN", "Hsiang (Xiang Chinese)"},
        {"ILO", "Ilocano (Iloko)"}, {"IND", "Indonesian"}, {"ITA", "Italian"},
        {"JPN", "Japanese"},   {"KOR", "Korean"},     {"LAO", "Lao"},
        {"CMN", "Mandarin"},   {"IUM", "Mien (Iu Mien)"}, {"MKH", "Mon-Khmer"},
        {"NAV", "Navajo"},     {"PAN", "Panjabi (Punjabi)"}, {"PER", "Persian"},
        {"POL", "Polish"},     {"POR", "Portuguese"}, {"RUS", "Russian"},
        {"SMO", "Samoan"},     {"SRP", "Serbian"},    {"SPA", "Spanish"},
        {"SWA", "Swahili"},    {"TGL", "Tagalog"},    {"TEL", "Telugu"},
        {"THA", "Thai"},       {"TON", "Tonga"},      {"UKR", "Ukrainian"},
        {"URD", "Urdu"},       {"VIE", "Vietnamese"}, {"YID", "Yiddish"},
        {"YOR", "Yoruba"},     {"000", "Other (Specify Below)"}, {"999", "Unknown"},
    };
    return kList;
}

const std::vector<Language>& InfoEditLanguages() {
    static const std::vector<Language> kList = [] {
        static constexpr std::string_view kFirst[] = {"ENG", "SPA", "FRE", "CPF", "GER",
                                                      "CHI", "ITA", "JPN", "KOR", "LAO"};
        std::vector<Language> list;
        for (std::string_view code : kFirst)
            for (const Language& l : IntakeLanguages())
                if (code == l.code) list.push_back(l);
        for (const Language& l : IntakeLanguages()) {
            bool first = false;
            for (std::string_view code : kFirst) first = first || code == l.code;
            if (!first) list.push_back(l);
        }
        return list;
    }();
    return kList;
}

std::string LanguageName(std::string_view code) {
    for (const Language& l : IntakeLanguages())
        if (code == l.code) return l.name;
    return {};
}

const std::vector<const char*>& GenderChoices() {
    static const std::vector<const char*> kList{cs::kSexMale, cs::kSexFemale};
    return kList;
}

const std::vector<const char*>& MaritalChoices() {
    static const std::vector<const char*> kList{cs::kMaritalSingle, cs::kMaritalMarried, cs::kMaritalDivorced};
    return kList;
}

const std::vector<const char*>& EthnicityChoices() {
    static const std::vector<const char*> kList{"AlaskanNative", "AmericanIndian", "Asian",          "Black",
                                                "Hispanic",      "PacificIslander", "White"};
    return kList;
}

}  // namespace dalvero
