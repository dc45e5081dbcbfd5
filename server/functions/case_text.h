#pragma once
// How the commands name people, needs and moments in replies and e-mails.

#include <ctime>
#include <string>
#include <string_view>

#include "date_text.h"
#include "storage.h"

namespace dalvero::server::functions {

// First and last name of a Personnel record.
std::string PersonName(const Record& person);
// First, middle and last name of a Patients record.
std::string PatientName(const Record& patient);
// The need's category, with its detail when it has one ("Need 12" when it
// names no category).
std::string NeedName(Storage& storage, const Record& need);

// Where a provider takes e-mail: its notification address, else its company
// address; empty when it has no usable one.
std::string ProviderAddress(const Record& provider);
// A person's e-mail (the login address); empty when not usable.
std::string PersonAddress(const Record& person);

// "yyyymmdd[hhnn[ss]]" as "mm/dd/yyyy[ hh:mm]"; empty for no valid date.
std::string WhenText(std::string_view stored);

// The server's local calendar date, and "yyyymmddhhnnss", at a moment.
CivilDate LocalDate(std::time_t moment);
std::string LocalStamp(std::time_t moment);

}  // namespace dalvero::server::functions
