// A catalogue line read into a heat generator: the catalogue reader knows no
// model classes, so the one step that needs both lives here.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <cstdint>
#include <string_view>

class CWaerme;

// The line's values as the heat generator's given values; everything else
// stays as a freshly constructed heat generator has it.
void StoreInHeatGenerator(const WrzEntry& entry, CWaerme& heatGenerator);

// Resets the heat generator, reads the line at offset into it (asking the
// open-operation question when the line has such values, unless open is
// Closed) and moves offset to the next line. The catalogue's answers:
// kLoaded; kNotLoaded (file missing, end, or another manufacturer than
// expectedName); kBadLine (the line was skipped and reported).
int LoadHeatGenerator(CWrzKatalog& katalog, CWaerme& heatGenerator, int64_t& offset,
                      std::string_view expectedName = {},
                      CWrzKatalog::OpenOperation open = CWrzKatalog::OpenOperation::Ask);
