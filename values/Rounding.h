// Rounding of calculated values and their fixed-point text.
#pragma once

#include <cmath>
#include <string>

// a rounded to the nearest multiple of 1/b, halves away from zero.
// A non-finite a stays non-finite, so that it never passes for a number.
// Inline: the model's iterations call it in their innermost loops.
inline double RoundToStep(double a, double b) {
    // Truncated in floating point: an integer cast of a huge or NaN product is undefined.
    return std::trunc(a * b + (a < 0 ? -0.5 : 0.5)) / b;
}
// x as the number its "%f" text reads back as (six decimals, halves to
// even), without the text.
double RoundToSixDecimals(double x);
// x with as many decimals as it needs (at most maxDecimals when that is not 0),
// right-aligned in width when width is not 0.
std::string FormatFixed(double x, int width, int maxDecimals);
