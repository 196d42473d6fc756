// For the diagram tests: the settings of a linear axis.
#pragma once

#include "velmora/CVxtAchse.h"

#include <string>
#include <utility>

inline AxisSettings LinearAxis(double min, double max, double step, std::string title = "") {
    AxisSettings s;
    s.minimum = min;
    s.maximum = max;
    s.step = step;
    s.title = std::move(title);
    return s;
}
