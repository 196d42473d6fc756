// For tests of either program: the sample data of the source tree (the
// catalogue, the tables, the layouts).
#pragma once

#include "platform/Files.h"

#include <cstdlib>
#include <string>

inline std::string SampleData() {
    const char* dir = std::getenv("VX_SOURCE_DIR");
    return vx::JoinPath(dir ? dir : ".", "data");
}
