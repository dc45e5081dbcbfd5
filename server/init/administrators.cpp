#include "administrators.h"

#include <set>

#include "audit_trail.h"
#include "init_error.h"
#include "password_hash.h"
#include "table_catalogue.h"

namespace dalvero::server {

namespace {

namespace cat = dalvero::catalogue;
namespace pf = cat::personnel;

std::string HospitalWithStaff(Storage& storage) {
    ListRead read;
    read.table = cat::tbl::kPersonnel;
    std::set<std::string> hospitals;
    for (const Record& person : storage.Select(read))
        if (!person.Field(pf::kHospital).empty()) hospitals.insert(person.Field(pf::kHospital));
    if (hospitals.size() != 1)
        throw InitError(hospitals.empty() ? "no hospital has staff yet; make one with init --hospital NAME --admin EMAIL"
                                          : "several hospitals have staff; name one with --hospital SEQ");
    return *hospitals.begin();
}

}  // namespace

std::string AddHospitalRecord(Storage& storage, const std::string& name, std::time_t now) {
    if (name.empty()) throw InitError("no hospital name");
    const std::int64_t seq = storage.Add(cat::tbl::kProviderEntities, {{cat::providers::kName, name}});
    const std::string hospital = std::to_string(seq);
    AppendAudit(storage, ConsoleOperator(hospital),
                {{audit_action::kAdd, cat::tbl::kProviderEntities, seq, "", "hospital " + name}}, now);
    return hospital;
}

std::int64_t AddAdministrator(Storage& storage, std::optional<std::string> hospital, const std::string& email,
                              const std::string& password, int passwordIterations, std::time_t now) {
    if (email.empty() || email.find('@') == std::string::npos) throw InitError("'" + email + "' is no e-mail address");
    if (password.empty()) throw InitError("an administrator needs a password");
    if (PersonByEmail(storage, email)) throw InitError(email + " already has an account; use reset-password");
    const std::string home = hospital ? *hospital : HospitalWithStaff(storage);
    if (home.empty() || home.size() > 18 || home.find_first_not_of("0123456789") != std::string::npos ||
        !storage.Read(cat::tbl::kProviderEntities, std::stoll(home)))
        throw InitError("no hospital " + home);
    const std::int64_t seq = storage.Add(cat::tbl::kPersonnel, {{pf::kHospital, home},
                                                               {pf::kLastName, email.substr(0, email.find('@'))},
                                                               {pf::kEmail, email},
                                                               {pf::kPassword, HashPassword(password, passwordIterations)},
                                                               {pf::kAdministrator, cat::kYes}});
    AppendAudit(storage, ConsoleOperator(home),
                {{audit_action::kAdd, cat::tbl::kPersonnel, seq, "", "administrator " + email}}, now);
    return seq;
}

void ResetPassword(Storage& storage, const std::string& email, const std::string& password, int passwordIterations,
                   std::time_t now) {
    if (password.empty()) throw InitError("the new password is empty");
    const std::optional<Record> person = PersonByEmail(storage, email);
    if (!person) throw InitError("no account has the e-mail " + email);
    storage.Update(cat::tbl::kPersonnel, person->seq, {{pf::kPassword, HashPassword(password, passwordIterations)}});
    AppendAudit(storage, ConsoleOperator(person->Field(pf::kHospital)),
                {{audit_action::kUpdate, cat::tbl::kPersonnel, person->seq, "", "password reset"}}, now);
}

}  // namespace dalvero::server
