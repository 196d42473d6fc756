// String ids of the platform layer's own texts, in "resources/platform".
#pragma once

#include <string>

namespace vx {

enum PlatformString : unsigned {
    IDS_DATEI_NICHT_GEOEFFNET = 1,
    IDS_EINSTELLUNGSDATEI_ZU_GROSS = 2,
    IDS_DRUCKVORLAGE_ZU_GROSS = 3,
    IDS_DRUCKVORLAGE_NICHT_LESBAR = 4,
};

// Its own table, read on first use: the programs, the library and the tests
// all reach the platform's messages without loading anything first.
std::string PlatformText(unsigned id);

} // namespace vx
