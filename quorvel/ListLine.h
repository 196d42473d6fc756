// The lines of the library's pick lists: columns cut and padded to a fixed
// width for a fixed-pitch font, the record number at the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// text cut to `cut` characters, then padded with blanks to `width`.
std::string FitText(std::string_view text, size_t cut, size_t width);
inline std::string FitText(std::string_view text, size_t width) { return FitText(text, width, width); }
// The number after the last blank (or tab) of a line; 0 when there is none.
long RecordNumberOfLine(std::string_view line);
