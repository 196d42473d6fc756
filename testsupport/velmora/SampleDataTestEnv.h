// For tests of either program: the sample data of the source tree (the
// catalogue, the tables, the layouts).
#pragma once

#include "platform/Files.h"

#include <cstdlib>
#include <string>

// The source tree that ctest names, or the current directory.
inline std::string SourceDir() {
    const char* dir = std::getenv("VX_SOURCE_DIR");
    return dir ? dir : ".";
}

inline std::string SampleData() { return vx::JoinPath(SourceDir(), "data"); }
