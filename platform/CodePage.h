// Code pages. Narrow text in memory is code page 1252; text leaves for the
// display and for Linux file names as UTF-8. The table engine keeps its own
// texts in code page 437.
#pragma once

#include <string>
#include <string_view>

namespace vx {

std::string Cp1252ToUtf8(std::string_view text);
// Characters that code page 1252 cannot hold, and broken UTF-8, become '?'.
std::string Utf8ToCp1252(std::string_view text);
std::string Cp437ToCp1252(std::string_view text);
std::string Cp1252ToCp437(std::string_view text);

// Upper and lower case of code-page-1252 letters, accented ones included
// (the "ß" and the "ÿ"'s capital have no single-byte counterpart and stay).
char UpperCp1252(char c);
char LowerCp1252(char c);
std::string UpperCp1252(std::string_view text);
std::string LowerCp1252(std::string_view text);

// The Unicode code point of one code-page-1252 byte.
char32_t Cp1252ToUnicode(unsigned char c);
// The code-page-1252 byte of a code point, or 0 when there is none.
unsigned char UnicodeToCp1252(char32_t cp);

} // namespace vx
