// The hand-overs of other programs into a project record: the address file
// "ADRESS.ABS" and the clipboard text of section "[ORVISTO2PELVANE]". Both
// take at most a bounded length of any input, so that no file or clipboard
// text can grow the record without limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CProjekt;

// The most read of "ADRESS.ABS", and the longest value taken from either source.
inline constexpr size_t kAdressAbsMaxBytes = 4096;
inline constexpr size_t kHandOverValueMax = 255;

// Fields cut at ";" (a field opening with a double quote runs to the next
// one), empty fields skipped: customer number, match code, recipient name 1
// and 2, street, postcode, town, then telephone and fax appended, unless the
// record already holds them; after the ninth field the contract number.
void ImportAdressAbs(std::string_view text, CProjekt& project);
// Reads "ADRESS.ABS" in the temporary folder; false when it cannot be opened.
bool ImportAdressAbsFile(const std::string& tempDir, CProjekt& project);

// False, leaving the record as it was, unless the text opens with the
// section "[ORVISTO2PELVANE]".
bool ImportOrvistoText(std::string_view text, CProjekt& project);
