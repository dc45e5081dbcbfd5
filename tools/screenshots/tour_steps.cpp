#include "tour_steps.h"

#include <algorithm>

namespace dalvero::tour {

std::vector<NamedStep>& Steps() {
    static std::vector<NamedStep> steps;
    return steps;
}

int AddStep(int order, const std::string& name, TourStep step) {
    Steps().push_back({order, name, std::move(step)});
    return order;
}

std::vector<NamedStep> StepsInOrder() {
    auto steps = Steps();
    std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
    return steps;
}

}  // namespace dalvero::tour
