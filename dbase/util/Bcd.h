// The 12-byte packed decimal form of numeric index keys: byte 0 the exponent
// (0x34 + digits before the point), byte 1 sign, digit count and a set bit 0,
// bytes 2..11 up to 20 digits, two per byte.
#pragma once

#include <string_view>

namespace vx {

inline constexpr int kBcdLen = 12;

// Text of a number into 12 bytes at out.
void convBcdFromA(std::string_view text, char* out);
// A double, through its text with 15 significant digits.
void BcdFromDouble(double value, char* out);
// < 0, 0 or > 0 as the numbers compare.
int bcdCompare(const void* a, const void* b, size_t n = kBcdLen);

} // namespace vx
