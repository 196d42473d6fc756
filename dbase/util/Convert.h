// Number and text conversions for field contents, upper and lower case in
// code page 437, and the byte transformations of index keys.
#pragma once

#include <cstddef>
#include <string>

namespace vx {

// Text of n bytes (not terminated) as a number, through the standard
// conversions: at most 49 characters for a double, 127 for the integers.
double convertToDouble(const char* text, int n);
long convertToLong(const char* text, int n);

// value right-aligned in |width| bytes at out (not terminated). A positive
// width puts blanks before the value and the minus sign before the first
// digit; a negative width fills with zeros. A value that does not fit, or a
// negative value with zero fill, fills the field with "*".
void EngineLongToAscii(long value, char* out, int width);

// value in width bytes at out (not terminated) with decimals rounded
// decimals (at most 15 and at most width - 1); the point stands at
// width - decimals - 1, a "0" before it when the integer part is empty.
// 0, or -440 with the field filled with "*" when the number does not fit.
int convertDoubleToText(double value, char* out, int width, int decimals);

// Code page 437: a-z and ü ä ö (0x81 0x84 0x94) <-> A-Z and Ü Ä Ö (0x9A 0x8E 0x99).
char convertUpperChar(char c);
char convertLowerChar(char c);
void convertUpper(char* text, size_t n);
// Terminated text.
void convertUpper(char* text);
void convertUpper(std::string& text);

// Numeric text made sortable bytewise: leading blanks (and a "-" among them)
// become "0"; for a negative number every byte b becomes 92 - b.
void convertNumericKey(char* text, size_t n);
// Reverses the order of a key: every byte negated.
void convertDescend(char* bytes, size_t n);

} // namespace vx
