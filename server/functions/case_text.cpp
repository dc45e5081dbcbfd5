#include "case_text.h"

#include <cstdio>

#include "mail_message.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

std::string JoinNames(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += ' ';
        out += part;
    }
    return out;
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace

std::string PersonName(const Record& person) {
    return JoinNames({Field(person, cat::personnel::kFirstName), Field(person, cat::personnel::kLastName)});
}

std::string PatientName(const Record& patient) {
    return JoinNames({Field(patient, cat::patients::kFirstName), Field(patient, cat::patients::kMiddleName),
                      Field(patient, cat::patients::kLastName)});
}

std::string NeedName(Storage& storage, const Record& need) {
    std::string name;
    if (auto category = ReadLinked(storage, cat::tbl::kProviderCategories, Field(need, cat::case_needs::kCategory)))
        name = Field(*category, cat::provider_categories::kName);
    if (auto detail =
            ReadLinked(storage, cat::tbl::kProviderCategoryDetails, Field(need, cat::case_needs::kCategoryDetail))) {
        const std::string detailName = Field(*detail, cat::provider_category_details::kName);
        if (!detailName.empty()) name += (name.empty() ? "" : " - ") + detailName;
    }
    return name.empty() ? "Need " + std::to_string(need.seq) : name;
}

std::string ProviderAddress(const Record& provider) {
    for (int field : {cat::providers::kNotifyEmail, cat::providers::kCompanyEmail}) {
        std::string address = Trimmed(Field(provider, field));
        if (mail::IsPlainAddress(address)) return address;
    }
    return {};
}

std::string PersonAddress(const Record& person) {
    std::string address = Trimmed(Field(person, cat::personnel::kEmail));
    return mail::IsPlainAddress(address) ? address : std::string();
}

std::string WhenText(std::string_view stored) {
    std::string text = DateToDisplay(stored);
    if (!text.empty() && stored.size() >= 12 && stored.find('/') == std::string_view::npos)
        text += " " + std::string(stored.substr(8, 2)) + ":" + std::string(stored.substr(10, 2));
    return text;
}

CivilDate LocalDate(std::time_t moment) {
    const std::tm local = LocalTime(moment);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string LocalStamp(std::time_t moment) {
    const std::tm local = LocalTime(moment);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return ToYmd(LocalDate(moment)) + text;
}

}  // namespace dalvero::server::functions
