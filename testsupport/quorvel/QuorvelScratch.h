// For the tests: a scratch folder laid out as a host keeps the library's
// tables ("db" for addresses and remarks, "plz" for the places) and the
// profile that names them.
#pragma once

#include "testsupport/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A new folder "vxquorvel..." with "db" and "plz" in it, removed at the end;
// Path() is empty when it could not be made.
class QuorvelScratch : public vx::ScratchDir {
public:
    QuorvelScratch() : ScratchDir("vxquorvel") {
        if (Path().empty()) return;
        std::filesystem::create_directories(Path() + "/db");
        std::filesystem::create_directories(Path() + "/plz");
    }
};

// The host's profile text that points the library at dir's tables.
inline std::string QuorvelProfileText(const std::string& dir) {
    return "[Global]\nGlobalDBPfad=" + dir + "/db\n[Datenbank]\nPfad=" + dir + "\nPfad_P=" + dir +
           "/plz\n";
}

// The sample places of the source tree copied into plzDir.
inline void CopySamplePlaces(const std::string& plzDir) {
    const char* source = std::getenv("VX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char* f : {"PLZORT.DBF", "PLZORT.MDX"})
        std::filesystem::copy_file(std::string(source) + "/data/" + f, plzDir + "/" + f);
}
