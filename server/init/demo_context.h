#pragma once
// What the parts of the demo hospital share while they write it.

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "code_books.h"
#include "date_text.h"
#include "demo_hospital.h"
#include "geo.h"
#include "provider_catalogue.h"
#include "storage.h"

namespace dalvero::server::demo {

// Draws from a fixed seed. Only the engine's raw output is used (its
// sequence is fixed by the C++ standard, unlike the library's
// distributions), so every build writes the same demo.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) { return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))]; }
    // `count` random decimal digits.
    std::string Digits(int count);

private:
    std::mt19937 engine_;
};

struct Place {
    std::string zip;
    std::string city;
    functions::GeoPoint point;
    double miles = 0;  // from the hospital
};

struct Person {
    std::int64_t seq = 0;
    std::string first;
    std::string last;
    std::string specialty;  // physicians
};

struct Provider {
    std::int64_t seq = 0;
    std::set<int> categories;
    functions::GeoPoint point;
};

struct Context {
    Context(Storage& store, std::uint32_t seed, const CivilDate& day, const CodeBooks& codeBooks,
            const std::vector<CategoryEntry>& entries, const ProviderCatalogue& providerCatalogue)
        : storage(store), random(seed), today(day), books(codeBooks), categories(entries), catalogue(providerCatalogue) {}

    Storage& storage;
    Random random;
    CivilDate today;
    const CodeBooks& books;
    const std::vector<CategoryEntry>& categories;
    const ProviderCatalogue& catalogue;

    std::int64_t hospital = 0;
    Place hospitalPlace;
    std::vector<Place> places;  // towns around the hospital
    std::vector<std::int64_t> insurances;
    std::vector<Person> caseWorkers;  // discharge planners and case managers
    std::vector<Person> physicians;
    std::vector<Provider> providers;
    std::map<int, std::vector<std::int64_t>> details;  // category Seq -> ProviderCategoryDetails Seqs
};

CivilDate AddDays(const CivilDate& date, int days);
// Decimal text with `decimals` places, "." whatever the locale.
std::string Decimal(double value, int decimals);
// A ten-digit national provider identifier with a valid check digit.
std::string MakeNpi(Random& random);
// "614555" and four more digits: a number no real line has.
std::string DemoPhone(Random& random, const char* areaCode = "614");

// Name and street lists the parts draw from.
const std::vector<std::string>& LastNames();
const std::vector<std::string>& FemaleNames();
const std::vector<std::string>& MaleNames();
const std::vector<std::string>& StreetNames();
// A street address: number and street.
std::string DemoStreet(Random& random);

// The parts, in the order they are written.
void AddPlaces(Context& context);
// A hospital's ProviderEntities record.
std::int64_t AddHospital(Context& context, const std::string& name, const std::string& street, const Place& place,
                         const std::string& domain);
std::vector<DemoLogin> AddStaff(Context& context, const std::string& password, int passwordIterations);
void AddProviders(Context& context);
// `cases` cases, in the demo's proportions of open cases and returning patients.
void AddCases(Context& context, int cases);

}  // namespace dalvero::server::demo
