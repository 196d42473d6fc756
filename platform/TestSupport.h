// For tests only: where a test leaves pictures and files for a person to look at.
#pragma once

#include "platform/Files.h"

#include <cstdlib>
#include <string>

namespace vx {

// The artefact directory that ctest names (created), or "" outside ctest.
inline std::string ArtefactDir() {
    const char* dir = std::getenv("VX_ARTEFACT_DIR");
    if (!dir || !*dir) return "";
    MakeDirs(dir);
    return dir;
}

} // namespace vx
