#include <algorithm>
#include <charconv>

#include "demo_context.h"
#include "init_error.h"
#include "schema.h"
#include "string_list.h"

namespace dalvero::server::demo {
namespace {

// Towns of central Ohio around the demo hospital, by ZIP code.
const std::vector<std::pair<const char*, const char*>> kTowns = {
    {"43201", "Columbus"},       {"43202", "Columbus"},        {"43203", "Columbus"},
    {"43204", "Columbus"},       {"43205", "Columbus"},        {"43206", "Columbus"},
    {"43207", "Columbus"},       {"43209", "Bexley"},          {"43211", "Columbus"},
    {"43212", "Grandview Heights"}, {"43213", "Whitehall"},    {"43214", "Columbus"},
    {"43215", "Columbus"},       {"43219", "Columbus"},        {"43220", "Upper Arlington"},
    {"43221", "Upper Arlington"}, {"43223", "Columbus"},       {"43224", "Columbus"},
    {"43227", "Columbus"},       {"43228", "Columbus"},        {"43229", "Columbus"},
    {"43230", "Gahanna"},        {"43231", "Columbus"},        {"43232", "Columbus"},
    {"43235", "Columbus"},       {"43016", "Dublin"},          {"43017", "Dublin"},
    {"43026", "Hilliard"},       {"43081", "Westerville"},     {"43082", "Westerville"},
    {"43065", "Powell"},         {"43085", "Worthington"},     {"43054", "New Albany"},
    {"43068", "Reynoldsburg"},   {"43110", "Canal Winchester"}, {"43123", "Grove City"},
    {"43119", "Galloway"},       {"43147", "Pickerington"},    {"43125", "Groveport"},
    {"43062", "Pataskala"},      {"43035", "Lewis Center"},    {"43015", "Delaware"},
    {"43040", "Marysville"},     {"43064", "Plain City"},      {"43140", "London"},
    {"43162", "West Jefferson"}, {"43055", "Newark"},          {"43056", "Heath"},
    {"43023", "Granville"},      {"43130", "Lancaster"},       {"43113", "Circleville"},
    {"43302", "Marion"},         {"43050", "Mount Vernon"},    {"43160", "Washington Court House"},
    {"45601", "Chillicothe"},    {"43078", "Urbana"},          {"43311", "Bellefontaine"},
    {"43701", "Zanesville"},     {"43138", "Logan"},           {"43338", "Mount Gilead"},
};

constexpr char kHospitalZip[] = "43210";
constexpr double kMaxMiles = 60;

}  // namespace

const std::vector<std::string>& LastNames() {
    static const std::vector<std::string> names = {
        "Anderson", "Baker",    "Bennett",  "Brown",     "Campbell", "Clark",    "Collins",  "Cooper",
        "Davis",    "Edwards",  "Evans",    "Fischer",   "Garcia",   "Graham",   "Hall",     "Harris",
        "Hernandez", "Hughes",  "Jackson",  "Jenkins",   "Johnson",  "Jones",    "Keller",   "Kelly",
        "King",     "Lee",      "Lewis",    "Martin",    "Martinez", "Miller",   "Moore",    "Morgan",
        "Murphy",   "Nelson",   "Parker",   "Perry",     "Peterson", "Phillips", "Powell",   "Reed",
        "Richardson", "Roberts", "Robinson", "Rogers",   "Ross",     "Russell",  "Sanders",  "Schneider",
        "Scott",    "Shaw",     "Smith",    "Stewart",   "Sullivan", "Taylor",   "Thomas",   "Thompson",
        "Turner",   "Walker",   "Ward",     "Watson",    "White",    "Williams", "Wilson",   "Wright",
        "Young",    "Yusuf",    "Warsame",  "Tran",      "Kim",      "Mohamed",  "Nowak",    "Ivanova"};
    return names;
}

const std::vector<std::string>& FemaleNames() {
    static const std::vector<std::string> names = {
        "Mary",  "Patricia", "Barbara", "Linda",  "Elizabeth", "Dorothy", "Margaret", "Betty",   "Ruth",
        "Helen", "Shirley",  "Joan",    "Carol",  "Judith",    "Nancy",   "Sandra",   "Donna",   "Evelyn",
        "Alice", "Gloria",   "Rosa",    "Fadumo", "Lan",       "Irina",   "Janet",    "Frances", "Marilyn"};
    return names;
}

const std::vector<std::string>& MaleNames() {
    static const std::vector<std::string> names = {
        "James",  "John",   "Robert", "William", "Richard", "Charles", "Thomas", "Donald", "George",
        "Kenneth", "Ronald", "Edward", "Harold",  "Walter",  "Raymond", "Gerald", "Frank",  "Eugene",
        "Carl",   "Arthur", "Ahmed",  "Minh",    "Jose",    "Dmitri",  "Leon",   "Dale",   "Floyd"};
    return names;
}

const std::vector<std::string>& StreetNames() {
    static const std::vector<std::string> names = {
        "Main St",      "High St",      "Broad St",        "Oak Ave",       "Maple Dr",      "Park Rd",
        "Church St",    "Market St",    "Sunbury Rd",      "Cleveland Ave", "Morse Rd",      "Henderson Rd",
        "Bethel Rd",    "Hamilton Rd",  "Refugee Rd",      "Livingston Ave", "Parsons Ave",  "Sawmill Rd",
        "Riverside Dr", "Karl Rd",      "Dublin Rd",       "Columbus St",   "Mill St",       "Walnut St",
        "Elm St",       "Spring St",    "Center St",       "State St",      "Liberty St",    "Cherry Ln"};
    return names;
}

std::string DemoStreet(Random& random) {
    return std::to_string(random.Between(10, 9899)) + " " + random.Pick(StreetNames());
}

std::string Random::Digits(int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + Below(10));
    return digits;
}

CivilDate AddDays(const CivilDate& date, int days) { return FromDaySerial(DaySerial(date) + days); }

std::string Decimal(double value, int decimals) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::string MakeNpi(Random& random) {
    // Luhn over the card-issuer prefix 80840 and the nine digits.
    std::string base = std::to_string(random.Between(1, 2)) + random.Digits(8);
    std::string payload = "80840" + base;
    int sum = 0;
    for (std::size_t i = 0; i < payload.size(); ++i) {
        int digit = payload[payload.size() - 1 - i] - '0';
        if (i % 2 == 0) digit = digit * 2 > 9 ? digit * 2 - 9 : digit * 2;
        sum += digit;
    }
    return base + static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string DemoPhone(Random& random, const char* areaCode) {
    return std::string(areaCode) + "55501" + random.Digits(2);
}

void AddPlaces(Context& context) {
    std::map<std::string, functions::GeoPoint> centroids;
    for (const ZipCentroid& zip : context.books.zips) {
        centroids[zip.zip] = {ToFloatDef(zip.latitude, 0), ToFloatDef(zip.longitude, 0)};
    }
    auto hospital = centroids.find(kHospitalZip);
    if (hospital == centroids.end()) throw InitError(std::string("no centroid for the demo hospital's ZIP ") + kHospitalZip);
    context.hospitalPlace = {kHospitalZip, "Columbus", hospital->second, 0};
    for (const auto& [zip, city] : kTowns) {
        auto found = centroids.find(zip);
        if (found == centroids.end()) continue;
        double miles = functions::MilesBetween(hospital->second, found->second);
        if (miles <= kMaxMiles) context.places.push_back({zip, city, found->second, miles});
    }
    if (context.places.empty()) throw InitError("no demo towns in the ZIP centroid table");
}

}  // namespace dalvero::server::demo
