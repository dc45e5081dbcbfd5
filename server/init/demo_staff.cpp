#include <cctype>

#include "demo_context.h"
#include "password_hash.h"
#include "schema.h"
#include "table_catalogue.h"

namespace dalvero::server::demo {
namespace {

namespace cat = dalvero::catalogue;
namespace pf = cat::personnel;

constexpr char kDomain[] = "@demo.dalvero";

enum Role { kNone = 0, kPlanner = 1, kAdministrator = 2 };

struct StaffMember {
    const char* first;
    const char* middle;
    const char* last;
    const char* mailbox;
    const char* type;
    int roles;
};

// Log-in users. The planners and case managers are the hospital's case
// workers (the "Discharge Case Worker" flag).
const StaffMember kStaff[] = {
    {"Dana", "R", "Whitfield", "admin", "Administrator", kAdministrator},
    {"Karen", "L", "Mitchell", "karen.mitchell", "Discharge Planner", kAdministrator | kPlanner},
    {"Maria", "", "Lopez", "maria.lopez", "Discharge Planner", kPlanner},
    {"James", "T", "Carter", "james.carter", "Discharge Planner", kPlanner},
    {"Aisha", "", "Khan", "aisha.khan", "Case Manager", kPlanner},
    {"Thomas", "J", "Becker", "tom.becker", "Social Worker", kPlanner},
    {"Linda", "M", "Nguyen", "linda.nguyen", "Registered Nurse", kNone},
};

struct Physician {
    const char* first;
    const char* last;
    const char* specialty;
    bool affiliated;  // practises at the neighbouring hospital
};

const Physician kPhysicians[] = {
    {"Robert", "Hayes", "Internal Medicine", false},   {"Susan", "Patel", "Cardiology", false},
    {"Michael", "O'Brien", "Orthopedic Surgery", false}, {"Emily", "Chen", "Pulmonology", false},
    {"David", "Goldberg", "Nephrology", false},         {"Angela", "Brooks", "Neurology", false},
    {"Kevin", "Schmidt", "Hospitalist", false},         {"Rachel", "Adeyemi", "Geriatrics", false},
    {"Brian", "Kowalski", "General Surgery", false},    {"Patricia", "Romero", "Oncology", false},
    {"Steven", "Walsh", "Family Medicine", true},       {"Helen", "Yoder", "Infectious Disease", true},
    {"Gregory", "Fields", "Internal Medicine", true},
};

const char* const kPersonnelTypes[] = {"Administrator",    "Case Manager", "Discharge Planner", "Physician",
                                       "Registered Nurse", "Social Worker", "Unit Clerk"};

std::string Flag(bool on) { return on ? cat::kYes : ""; }

}  // namespace

std::int64_t AddHospital(Context& context, const std::string& name, const std::string& street, const Place& place,
                         const std::string& domain) {
    namespace pv = cat::providers;
    namespace pos = schema::provider_position;
    Random& r = context.random;
    return context.storage.Add(cat::tbl::kProviderEntities,
                               {{pv::kName, name},
                                {pv::kAttention, "Discharge Planning Office"},
                                {pv::kStreet, street},
                                {pv::kCity, place.city},
                                {pv::kState, "OH"},
                                {pv::kZip, place.zip},
                                {pv::kPhone, DemoPhone(r)},
                                {pv::kTollFree, DemoPhone(r, "800")},
                                {pv::kFax, DemoPhone(r)},
                                {pv::kPhone2, DemoPhone(r)},
                                {pv::kCompanyEmail, "info@" + domain},
                                {pv::kNotifyEmail, "discharge@" + domain},
                                {pv::kWebsite, "https://www." + domain},
                                {pv::kReplyToEmail, "discharge@" + domain},
                                {pv::kNpi, MakeNpi(r)},
                                {pos::kLatitude, Decimal(place.point.latitude, 6)},
                                {pos::kLongitude, Decimal(place.point.longitude, 6)}});
}

std::vector<DemoLogin> AddStaff(Context& context, const std::string& password, int passwordIterations) {
    Storage& storage = context.storage;
    std::map<std::string, std::int64_t> types;
    for (const char* type : kPersonnelTypes) {
        types[type] = storage.Add(cat::tbl::kPersonnelTypes, {{cat::personnel_types::kName, type}});
    }

    std::vector<DemoLogin> logins;
    for (const StaffMember& m : kStaff) {
        std::string email = std::string(m.mailbox) + kDomain;
        std::int64_t seq = storage.Add(cat::tbl::kPersonnel, {{pf::kHospital, std::to_string(context.hospital)},
                                                              {pf::kFirstName, m.first},
                                                              {pf::kMiddleName, m.middle},
                                                              {pf::kLastName, m.last},
                                                              {pf::kPhone, DemoPhone(context.random)},
                                                              {pf::kEmail, email},
                                                              {pf::kPassword, HashPassword(password, passwordIterations)},
                                                              {pf::kType, std::to_string(types.at(m.type))},
                                                              {pf::kDischargePlanner, Flag(m.roles & kPlanner)},
                                                              {pf::kAdministrator, Flag(m.roles & kAdministrator)}});
        std::string roles = (m.roles & kAdministrator) ? "Administrator" : "";
        if (m.roles & kPlanner) roles += roles.empty() ? "Discharge Planner" : ", Discharge Planner";
        logins.push_back({email, password, roles});
        if (m.roles & kPlanner) context.caseWorkers.push_back({seq, m.first, m.last, {}});
    }

    Place affiliatedPlace = context.hospitalPlace;
    for (const Place& place : context.places) {
        if (place.city == "Delaware") affiliatedPlace = place;
    }
    std::int64_t affiliated = AddHospital(context, "Olentangy Regional Hospital", "55 N Sandusky St", affiliatedPlace, "orh.demo.dalvero");
    for (const Physician& p : kPhysicians) {
        std::string mailbox;
        for (char c : std::string(p.first) + "." + p.last) {
            if (c != '\'') mailbox += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        // Physicians do not log in: no password.
        std::int64_t seq =
            storage.Add(cat::tbl::kPersonnel, {{pf::kHospital, std::to_string(p.affiliated ? affiliated : context.hospital)},
                                               {pf::kTitle, "Dr."},
                                               {pf::kFirstName, p.first},
                                               {pf::kLastName, p.last},
                                               {pf::kPhone, DemoPhone(context.random)},
                                               {pf::kEmail, mailbox + kDomain},
                                               {pf::kType, std::to_string(types.at("Physician"))},
                                               {pf::kPhysician, cat::kYes},
                                               {pf::kSpecialty, p.specialty}});
        context.physicians.push_back({seq, p.first, p.last, p.specialty});
    }
    return logins;
}

}  // namespace dalvero::server::demo
