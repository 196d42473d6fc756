// Writing heat-generator catalogues: the lines of "velmora.wrz", the
// manufacturer index "velmora.hst" built from them, and large synthetic
// catalogues of invented manufacturers for benchmarks and tests.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

// One "velmora.wrz" line with its CR LF: fields 14 to 21 only with part-load
// data, fields 22 on only as many as the entry holds.
std::string FormatWrzLine(const WrzEntry& e);

// "velmora.hst" for a "velmora.wrz" text: one line per manufacturer, in the
// order of their first line, with the byte offset of their first line for
// each fuel-list position (-1 for none). Lines that do not parse are left out
// of the index; their count goes to badLines when given.
std::string BuildHst(std::string_view wrzText, int* badLines = nullptr);

// count heat generators of invented manufacturers, plausible for their fuel,
// grouped by manufacturer and fuel-list position as the reader needs them.
std::vector<WrzEntry> MakeSyntheticEntries(int count, uint32_t seed);

// Writes velmora.wrz and velmora.hst into dir.
bool WriteCatalogue(const std::string& dir, const std::vector<WrzEntry>& entries);
// Rebuilds velmora.hst from the velmora.wrz in dir.
bool WriteHstFor(const std::string& dir);

} // namespace catalogue
