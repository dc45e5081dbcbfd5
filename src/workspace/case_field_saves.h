#pragma once
// What the case screens still have to write: field writes the server has
// not taken yet, and the screens with entries of their own to write before
// the case is left.

#include <functional>
#include <vector>

#include "field_saves.h"

namespace dalvero {

struct CaseFieldSaves {
    std::vector<std::function<void()>> PendingSaves;
    cFieldSaves FieldSaves;
};

}  // namespace dalvero
