// The collating order of character keys: German text in code page 437, where
// an umlaut sorts as its two-letter spelling ("Müller" beside "Mueller").
#pragma once

#include <cstddef>

namespace vx {

// Weight of each byte.
extern const unsigned char kCollateWeight[256];

// Compares n bytes of a and b: < 0, 0 or > 0, as memcmp does.
int collateCompare(const void* a, const void* b, size_t n);

} // namespace vx
