#pragma once
// A realistic demo hospital for trying the product: staff who can log in,
// physicians, a few hundred post-acute providers around the hospital, and
// open and closed cases with needs and quotes in every state. The same data
// every time (fixed seed); dates count back and forth from `today`.

#include <filesystem>
#include <string>
#include <vector>

#include "code_books.h"
#include "date_text.h"
#include "provider_catalogue.h"
#include "storage.h"

namespace dalvero::server {

// The demo hospital's cases unless asked for more (25 open, 60 closed).
inline constexpr int kDemoCases = 85;

struct DemoLogin {
    std::string email;
    std::string password;
    std::string roles;  // "Administrator", "Discharge Planner", both joined by ", ", or empty
};

struct DemoInput {
    const CodeBooks& books;
    const std::vector<CategoryEntry>& categories;
    const ProviderCatalogue& catalogue;
    std::filesystem::path logoFile;  // JPEG, file slot 1 of the hospital
    CivilDate today;
    int passwordIterations;  // the folder's password policy
    int cases = kDemoCases;
};

// Writes the demo in one transaction. The staff share one password, made
// fresh from the system's random source each time and stored hashed.
std::vector<DemoLogin> LoadDemoHospital(Storage& storage, const DemoInput& input);

}  // namespace dalvero::server
