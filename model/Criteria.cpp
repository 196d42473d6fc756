#include "model/Criteria.h"

#include "values/Helpers.h"

#include <cmath>

bool CriterionAtLeast(double value, double limit, double step) {
    if (!std::isfinite(value) || !std::isfinite(limit)) return false;
    return RoundToStep(value, step) >= RoundToStep(limit, step);
}

bool CriterionAtMost(double value, double limit, double step) {
    if (!std::isfinite(value) || !std::isfinite(limit)) return false;
    return RoundToStep(value, step) <= RoundToStep(limit, step);
}
