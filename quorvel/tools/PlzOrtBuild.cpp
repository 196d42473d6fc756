// Builds the sample table PLZORT from its plain-text list:
//   plzort_build <list> <target folder>
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "quorvel/PlaceList.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: plzort_build <Liste> <Zielordner>\n");
        return 2;
    }
    std::string text, error;
    if (!vx::ReadWholeFile(vx::FromFsName(argv[1]), text)) {
        std::fprintf(stderr, "%s lässt sich nicht lesen\n", argv[1]);
        return 1;
    }
    std::vector<PlaceEntry> places;
    if (!ReadPlaceList(text, places, error) || !BuildPlaceTable(places, vx::FromFsName(argv[2]), error)) {
        std::fprintf(stderr, "%s\n", vx::Cp1252ToUtf8(error).c_str());
        return 1;
    }
    std::printf("%zu Orte\n", places.size());
    return 0;
}
