// Comparisons of the pressure and temperature criteria. A quantity that is
// not a finite number (a zero length or area giving 0/0) never makes a
// criterion hold.
#pragma once

// Pressures compare rounded to 2 decimals, temperatures to 1.
constexpr double kPressureStep = 100;
constexpr double kTemperatureStep = 10;

// value >= limit after rounding both to 1/step.
bool CriterionAtLeast(double value, double limit, double step);
// value <= limit after rounding both to 1/step.
bool CriterionAtMost(double value, double limit, double step);
