#include "demo_hospital.h"

#include <ctime>
#include <fstream>
#include <sstream>

#include <openssl/rand.h>

#include "demo_context.h"
#include "init_error.h"
#include "table_catalogue.h"

namespace dalvero::server {
namespace {

constexpr std::uint32_t kSeed = 20240611;

// Twelve characters in three groups, without look-alikes (0/O, 1/l/I).
std::string MakeDemoPassword() {
    static const char kAlphabet[] = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    unsigned char bytes[12];
    if (RAND_bytes(bytes, sizeof bytes) != 1) throw InitError("no random bytes for the demo password");
    std::string password;
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i > 0 && i % 4 == 0) password += '-';
        password += kAlphabet[bytes[i] % (sizeof kAlphabet - 1)];
    }
    return password;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InitError("cannot read " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

std::vector<DemoLogin> LoadDemoHospital(Storage& storage, const DemoInput& input) {
    const std::string logo = ReadFile(input.logoFile);
    const std::string password = MakeDemoPassword();
    std::vector<DemoLogin> logins;
    storage.InTransaction([&] {
        demo::Context context(storage, kSeed, input.today, input.books, input.categories, input.catalogue);
        demo::AddPlaces(context);
        context.hospital = demo::AddHospital(context, "Scioto Valley Medical Center", "410 W 10th Ave",
                                             context.hospitalPlace, "demo.dalvero");
        storage.WriteRecordFile(catalogue::tbl::kProviderEntities, context.hospital, catalogue::providers::kLogoSlot,
                                {logo, static_cast<std::int32_t>(std::time(nullptr))});
        logins = demo::AddStaff(context, password, input.passwordIterations);
        demo::AddProviders(context);
        demo::AddCases(context, input.cases);
    });
    return logins;
}

}  // namespace dalvero::server
