// A profile file of the benchmark's own in the temp folder, made afresh, so
// that no user settings take part.
#pragma once

#include "platform/Profile.h"

#include <filesystem>

inline void UseFreshProfile(const char* fileName) {
    const auto path = std::filesystem::temp_directory_path() / fileName;
    std::filesystem::remove(path);
    vx::Profile().Select(vx::ProfileStore::IniBesideProgram, "Velmora");
    vx::Profile().UseFile(path.string());
}
