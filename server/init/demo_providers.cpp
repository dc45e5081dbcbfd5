#include <algorithm>
#include <cctype>
#include <set>

#include "demo_context.h"
#include "schema.h"
#include "table_catalogue.h"

namespace dalvero::server::demo {
namespace {

namespace cat = dalvero::catalogue;
namespace pv = cat::providers;

const std::pair<const char*, const char*> kInsurances[] = {
    {"Medicare A", "Medicare Part A"},
    {"Medicare Adv", "Medicare Advantage"},
    {"Medicaid", "Ohio Medicaid"},
    {"Aetna", "Aetna Health"},
    {"Anthem", "Anthem Blue Cross Blue Shield"},
    {"CareSource", "CareSource Ohio"},
    {"Humana", "Humana Gold Plus"},
    {"Medical Mutual", "Medical Mutual of Ohio"},
    {"UnitedHealthcare", "UnitedHealthcare Community Plan"},
    {"Tricare", "TRICARE For Life"},
    {"VA", "Veterans Affairs Community Care"},
    {"Self Pay", "Self Pay"},
};

const std::vector<std::pair<int, std::vector<const char*>>> kDetails = {
    {140, {"Short-term rehabilitation stay", "Long-term placement", "Respite stay"}},
    {148, {"Acute inpatient rehabilitation", "Subacute rehabilitation"}},
    {141, {"Wound care", "IV antibiotic therapy", "Medication management", "Diabetic teaching"}},
    {142, {"2 visits a week", "3 visits a week"}},
    {102, {"Home concentrator", "Portable concentrator", "Liquid oxygen"}},
    {79, {"Semi-electric", "Full-electric", "Bariatric"}},
    {90, {"18 in. standard", "20 in. wide", "22 in. bariatric"}},
    {89, {"Front-wheeled walker", "Rollator"}},
    {147, {"In-center hemodialysis", "Peritoneal dialysis training"}},
    {108, {"Below-knee prosthesis", "Above-knee prosthesis"}},
};

struct Kind {
    std::vector<std::string> headings;  // the categories it draws from
    int anchor;                         // a category every provider of the kind serves (0: none)
    int count;
    int minExtra, maxExtra;             // further categories of its headings
    std::vector<const char*> names;     // {city}, {last} and {tree} are filled in
};

const std::vector<const char*> kTrees = {"Oak", "Maple", "Willow", "Cedar", "Birch", "Aspen", "Pine", "Sycamore", "Hickory"};

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {{"Extended Care"}, 140, 60, 1, 4,
         {"{city} Care Center", "{tree} Ridge Health & Rehabilitation", "{last} Manor Nursing Home",
          "{city} Health Campus", "The Gardens at {city}", "{tree} Grove Skilled Nursing"}},
        {{"Home Health Care"}, 141, 50, 2, 5,
         {"{city} Home Health", "{tree} Home Care Services", "Visiting Nurses of {city}", "{last} Family Home Health"}},
        {{"Dialysis"}, 147, 20, 0, 2, {"{city} Dialysis Center", "{tree} Kidney Care", "{last} Renal Services"}},
        {{"Prostheses"}, 0, 20, 3, 7, {"{city} Prosthetics & Orthotics", "{last} Limb & Brace", "{tree} Orthotic Care"}},
        {{"DME - Mobility", "DME - Other"}, 0, 150, 5, 20,
         {"{city} Medical Supply", "{last} Home Medical Equipment", "{tree} Respiratory Care", "{city} Mobility Center",
          "{last} Surgical Supply"}},
    };
    return kinds;
}

std::string Fill(std::string pattern, const std::string& key, const std::string& value) {
    std::size_t at = pattern.find(key);
    return at == std::string::npos ? pattern : pattern.replace(at, key.size(), value);
}

std::string DomainOf(const std::string& name) {
    std::string slug;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) && slug.size() < 24) {
            slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return slug + ".demo.dalvero";
}

// The categories of each heading, by their named (not repeated) entries.
std::map<std::string, std::vector<int>> CategoriesByHeading(const std::vector<CategoryEntry>& entries) {
    std::map<std::string, std::vector<int>> byHeading;
    for (const CategoryEntry& entry : entries) {
        if (entry.control.find('_') == std::string::npos) byHeading[entry.heading].push_back(entry.seq);
    }
    return byHeading;
}

void AddInsuranceTypes(Context& context) {
    for (const auto& [name, label] : kInsurances) {
        context.insurances.push_back(context.storage.Add(
            cat::tbl::kInsuranceTypes, {{cat::insurance_types::kName, name}, {cat::insurance_types::kLabelName, label}}));
    }
}

void AddCategoryDetails(Context& context) {
    for (const auto& [category, names] : kDetails) {
        for (const char* name : names) {
            context.details[category].push_back(context.storage.Add(
                cat::tbl::kProviderCategoryDetails,
                {{10, std::to_string(category)}, {cat::provider_category_details::kName, name}}));
        }
    }
}

// A town near the hospital, nearer ones more often.
const Place& NearbyPlace(Context& context) {
    const Place& a = context.random.Pick(context.places);
    const Place& b = context.random.Pick(context.places);
    return a.miles < b.miles ? a : b;
}

FieldValues ProviderFields(Context& context, const std::string& name, const Place& place, functions::GeoPoint point) {
    Random& r = context.random;
    std::string domain = DomainOf(name);
    FieldValues f = {{pv::kName, name},
                     {pv::kAttention, r.Pick(FemaleNames()) + " " + r.Pick(LastNames()) + ", Admissions"},
                     {pv::kStreet, DemoStreet(r)},
                     {pv::kCity, place.city},
                     {pv::kState, "OH"},
                     {pv::kZip, place.zip},
                     {pv::kPhone, DemoPhone(r, place.miles < 15 ? "614" : "740")},
                     {pv::kNpi, MakeNpi(r)},
                     {schema::provider_position::kLatitude, Decimal(point.latitude, 6)},
                     {schema::provider_position::kLongitude, Decimal(point.longitude, 6)}};
    if (r.Chance(30)) f[pv::kTollFree] = DemoPhone(r, "800");
    if (r.Chance(70)) f[pv::kFax] = DemoPhone(r, place.miles < 15 ? "614" : "740");
    if (r.Chance(20)) f[pv::kPhone2] = DemoPhone(r, "380");
    // A few providers take referrals by telephone only.
    if (r.Chance(95)) {
        f[pv::kCompanyEmail] = "info@" + domain;
        if (r.Chance(80)) f[pv::kNotifyEmail] = "referrals@" + domain;
        if (r.Chance(10)) f[pv::kSmsEmail] = "alerts@" + domain;
    }
    if (r.Chance(60)) f[pv::kWebsite] = "https://www." + domain;
    return f;
}

}  // namespace

void AddProviders(Context& context) {
    AddInsuranceTypes(context);
    AddCategoryDetails(context);
    Storage& storage = context.storage;
    Random& r = context.random;
    const auto byHeading = CategoriesByHeading(context.categories);

    std::set<std::string> names;
    std::vector<std::size_t> kindOf;
    for (std::size_t k = 0; k < Kinds().size(); ++k) {
        const Kind& kind = Kinds()[k];
        std::vector<int> pool;
        for (const std::string& heading : kind.headings) {
            for (int seq : byHeading.at(heading)) {
                if (seq != kind.anchor) pool.push_back(seq);
            }
        }
        for (int i = 0; i < kind.count; ++i) {
            const Place& place = NearbyPlace(context);
            std::string name;
            for (int attempt = 0; attempt < 20 && (name.empty() || names.count(name)); ++attempt) {
                name = Fill(Fill(Fill(r.Pick(kind.names), "{city}", place.city), "{last}", r.Pick(LastNames())), "{tree}",
                            r.Pick(kTrees));
            }
            if (names.count(name)) name += " of " + place.zip;
            names.insert(name);

            functions::GeoPoint point{place.point.latitude + r.Between(-150, 150) / 10000.0,
                                      place.point.longitude + r.Between(-150, 150) / 10000.0};
            Provider provider{storage.Add(cat::tbl::kProviderEntities, ProviderFields(context, name, place, point)), {}, point};
            if (kind.anchor != 0) provider.categories.insert(kind.anchor);
            int extra = r.Between(kind.minExtra, std::min<int>(kind.maxExtra, static_cast<int>(pool.size())));
            while (static_cast<int>(provider.categories.size()) < extra + (kind.anchor != 0 ? 1 : 0)) {
                provider.categories.insert(r.Pick(pool));
            }
            context.providers.push_back(std::move(provider));
            kindOf.push_back(k);
        }
    }

    // Every category has providers, so any need can be matched.
    std::set<int> served;
    for (const Provider& p : context.providers) served.insert(p.categories.begin(), p.categories.end());
    for (const auto& [heading, seqs] : byHeading) {
        std::vector<std::size_t> candidates;
        for (std::size_t i = 0; i < context.providers.size(); ++i) {
            const auto& headings = Kinds()[kindOf[i]].headings;
            if (std::find(headings.begin(), headings.end(), heading) != headings.end()) candidates.push_back(i);
        }
        for (int seq : seqs) {
            if (served.count(seq)) continue;
            for (int n = 0; n < 3; ++n) context.providers[r.Pick(candidates)].categories.insert(seq);
        }
    }

    for (const Provider& p : context.providers) {
        for (int category : p.categories) {
            storage.Add(cat::tbl::kProviderCategoryLink,
                        {{cat::category_link::kProvider, std::to_string(p.seq)}, {cat::category_link::kCategory, std::to_string(category)}});
        }
        std::set<std::int64_t> accepted{context.insurances[0]};  // Medicare A almost everywhere
        int count = r.Between(3, 8);
        while (static_cast<int>(accepted.size()) < count) accepted.insert(r.Pick(context.insurances));
        for (std::int64_t insurance : accepted) {
            storage.Add(schema::kProviderInsuranceLink, {{schema::provider_insurance::kProvider, std::to_string(p.seq)},
                                                         {schema::provider_insurance::kInsurance, std::to_string(insurance)}});
        }
    }

    std::set<std::int64_t> preferred;
    while (preferred.size() < 15) preferred.insert(r.Pick(context.providers).seq);
    for (std::int64_t provider : preferred) {
        storage.Add(cat::tbl::kPreferredProviders, {{cat::preferred_providers::kHospital, std::to_string(context.hospital)},
                                                    {cat::preferred_providers::kProvider, std::to_string(provider)}});
    }
}

}  // namespace dalvero::server::demo
