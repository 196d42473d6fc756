// The synthetic catalogue of 5,000 heat generators that the catalogue
// benchmarks read, written into a scratch directory of its own that goes,
// with everything in it, when the object goes.
#pragma once

#include "testsupport/ScratchDir.h"
#include "testsupport/SyntheticCatalogue.h"

#include <cstdio>
#include <string>

class CatalogueScratch {
public:
    // program names the benchmark in the message when the catalogue cannot be written.
    CatalogueScratch(const char* prefix, const char* program) : dir_(prefix) {
        if (dir_.Path().empty() || !catalogue::WriteCatalogue(dir_.Path(), catalogue::MakeSyntheticEntries(5000, 42)))
            std::fprintf(stderr, "%s: cannot write the catalogue\n", program);
    }

    const std::string& path() const { return dir_.Path(); }

private:
    vx::ScratchDir dir_;
};
