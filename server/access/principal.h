#pragma once
// The person a connection or a session acts for, as the log-in found them.

#include <cstdint>
#include <optional>
#include <string>

#include "storage.h"

namespace dalvero::server {

struct Principal {
    std::int64_t person = 0;  // Personnel Seq
    std::string hospital;     // ProviderEntities Seq as stored in Personnel f9
    std::string email;
    bool administrator = false;
    bool planner = false;
    std::string address;  // where the log-in came from
};

// The principal a stored Personnel record makes.
Principal PrincipalOf(const Record& person, std::string address);

// The Personnel record with this e-mail (letter case aside); none for an
// empty e-mail or when no one has it.
std::optional<Record> PersonByEmail(Storage& storage, const std::string& email);

}  // namespace dalvero::server
