// For the tests: a scratch folder laid out as a host keeps the library's
// tables ("db" for addresses and remarks, "plz" for the places) and the
// profile that names them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A new folder "/tmp/vxquorvel..." with "db" and "plz" in it; empty when
// it could not be made.
inline std::string MakeQuorvelScratch() {
    char tmpl[] = "/tmp/vxquorvelXXXXXX";
    if (!::mkdtemp(tmpl)) return "";
    const std::string dir = tmpl;
    std::filesystem::create_directories(dir + "/db");
    std::filesystem::create_directories(dir + "/plz");
    return dir;
}

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
