#pragma once
// The logged-in person and their hospital, as the main window reads them at
// start-up; screens that only need to know who is working read this part.

#include <string>
#include <utility>
#include <vector>

#include "string_list.h"

namespace dalvero {

struct SignedInUser {
    std::string HospitalSeq;
    std::string UserSeq;
    StringList HospitalRecord;  // item n is ProviderEntities field n
    std::string HospitalField26;
    bool IsAdministrator = false;
    bool IsDischargePlanner = false;
    // The hospital's case workers ("first last", Personnel Seq) for the
    // new-case screen's drop-down.
    std::vector<std::pair<std::string, int>> CaseWorkers;
};

}  // namespace dalvero
