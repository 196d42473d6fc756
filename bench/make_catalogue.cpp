// Writes a synthetic heat-generator catalogue, or rebuilds the manufacturer
// index of an existing one:
//   make_catalogue DIR COUNT [SEED]
//   make_catalogue --index DIR
#include "testsupport/SyntheticCatalogue.h"

#include "platform/Files.h"
#include "platform/NumText.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--index") {
        std::string dir = vx::FromFsName(argv[2]);
        if (!catalogue::WriteHstFor(dir)) {
            std::fprintf(stderr, "make_catalogue: cannot index %s/velmora.wrz\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: make_catalogue DIR COUNT [SEED]\n"
                             "       make_catalogue --index DIR\n");
        return 2;
    }
    std::string dir = vx::FromFsName(argv[1]);
    size_t used = 0;
    int64_t count = vx::ParseLong(argv[2], &used);
    if (used == 0 || count < 0 || count > 10000000) {
        std::fprintf(stderr, "make_catalogue: bad count %s\n", argv[2]);
        return 2;
    }
    int64_t seed = argc == 4 ? vx::ParseLong(argv[3]) : 1;
    if (!vx::DirExists(dir) && !vx::MakeDirs(dir)) {
        std::fprintf(stderr, "make_catalogue: cannot create %s\n", argv[1]);
        return 1;
    }
    if (!catalogue::WriteCatalogue(dir, catalogue::MakeSyntheticEntries(int(count), uint32_t(seed)))) {
        std::fprintf(stderr, "make_catalogue: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
