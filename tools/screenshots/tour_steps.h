#pragma once
// The registered tour steps, for the tour's main.

#include <string>
#include <vector>

#include "tour.h"

namespace dalvero::tour {

struct NamedStep {
    int order;
    std::string name;
    TourStep step;
};

std::vector<NamedStep> StepsInOrder();

}  // namespace dalvero::tour
