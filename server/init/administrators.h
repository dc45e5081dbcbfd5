#pragma once
// The way into a data folder without a log-in: the first hospital and its
// administrator, another administrator, or a new password for someone locked
// out. Run by the operator on the server's machine; each change lands in the
// audit trail as done by "dalvero-server" from the console.

#include <ctime>
#include <optional>
#include <string>

#include "storage.h"

namespace dalvero::server {

// Adds the hospital's ProviderEntities record; its Seq.
std::string AddHospitalRecord(Storage& storage, const std::string& name, std::time_t now);

// Adds an administrator of `hospital` (a Seq; none: the one hospital that has
// staff, which fails when there are several). Throws InitError when the e-mail
// already has an account or the hospital cannot be told. The new Seq.
std::int64_t AddAdministrator(Storage& storage, std::optional<std::string> hospital, const std::string& email,
                              const std::string& password, int passwordIterations, std::time_t now);

// Gives the account of `email` a new password. Throws InitError when there is
// no such account.
void ResetPassword(Storage& storage, const std::string& email, const std::string& password, int passwordIterations,
                   std::time_t now);

}  // namespace dalvero::server
