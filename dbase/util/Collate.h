// The collating order of character keys: German text in code page 437, where
// an umlaut sorts as its two-letter spelling ("Müller" beside "Mueller").
// A table whose header declares Windows ANSI (language-driver byte 29) holds
// code page 1252 text: it collates and upper-cases in the same manner.
#pragma once

#include <cstddef>

namespace vx {

constexpr int kCodePageOem = 437;
constexpr int kCodePageAnsi = 1252;

// The code page of a header's language-driver byte: the Windows ANSI drivers
// give 1252; everything else, none included, 437.
int collateCodePageOfDriver(unsigned char driver);
// The byte a table of that code page declares: Windows ANSI for 1252, else none.
unsigned char collateDriverOfCodePage(int codePage);

using CollateCompare = int (*)(const void*, const void*, size_t);
// Code page 1252 text, ordered as the same text in code page 437; bytes that
// code page 437 lacks decide by their value.
int collateCompareAnsi(const void* a, const void* b, size_t n);
CollateCompare collateFor(int codePage);
// Upper-cases n bytes as the code page does.
void collateUpper(int codePage, char* text, size_t n);

// Weight of each byte.
extern const unsigned char kCollateWeight[256];

// Compares n bytes of a and b: < 0, 0 or > 0, as memcmp does.
int collateCompare(const void* a, const void* b, size_t n);

} // namespace vx
