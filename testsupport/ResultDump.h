// Every result of the chain sweeps, the sample diagrams and the assignment
// tables as text, each number in hexadecimal floating point, so that a
// change that should leave the results alone is compared bit for bit with
// the dump kept in the tree (testsupport/results.dump).
//
// The dump is made of sections "[name]". A section kept "in full" holds its
// lines; every section ends with its line count and a digest of its lines,
// so that the tables of the large catalogue are checked without keeping
// their text.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace resultdump {

struct Section {
    std::string name;
    std::string text;  // its lines, each ending in "\n"
    bool full = false;  // the text goes into the dump file, not only its digest
};

// Exact and locale-free: "0x1.8p+0" for 1.5, as printf's "%a".
std::string Hex(double v);
uint64_t Digest(const std::string& text);

// The chain sweeps over heights 4 to 30 m and the round table, for the three
// chains of the chain benchmark: every run's result records and section records.
std::vector<Section> ChainSweeps();
// The diagrams of the three sample heat generators of the data in dataDir.
std::vector<Section> Diagrams(const std::string& dataDir);

// The assignment table over a synthetic catalogue of generatorCount heat
// generators (seed 42) for systems 1, 7, 19 and 20, searching and with the
// size 0.15 m: one section per configuration, fuel position and
// manufacturer. maxManufacturers > 0 computes only that many manufacturers of
// each fuel position (a manufacturer's rows do not depend on the others); the
// first fullManufacturers of each position are kept in full. scratchDir
// receives the catalogue and the profile.
std::vector<Section> Tables(const std::string& scratchDir, const std::string& dataDir, int generatorCount,
                            int maxManufacturers, int fullManufacturers);

// The dump file's text for the sections.
std::string Render(const std::vector<Section>& sections);

// A dump file read back: per section its text when kept in full, its line
// count and digest.
struct Stored {
    std::string text;
    bool full = false;
    long lines = 0;
    uint64_t digest = 0;
};
std::map<std::string, Stored> Parse(const std::string& fileText);

// The names of the sections that differ from the stored dump or are
// missing in it, with the first differing line of a section kept in full.
std::vector<std::string> Compare(const std::vector<Section>& sections, const std::map<std::string, Stored>& stored);

} // namespace resultdump
