// Compares every result of the chain sweeps, the sample diagrams and the
// assignment tables over the 5,000-generator catalogue with the dump kept in
// the tree; "--write" makes that dump anew from this build, "--print" shows
// the sections whose names start with a text, for comparing two builds.
#include "testsupport/ScratchDir.h"
#include "testsupport/ResultDump.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    const std::string file = std::string(VX_SOURCE_DIR) + "/testsupport/results.dump";
    bool write = false;
    const char* print = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--write") == 0) write = true;
        else if (std::strcmp(argv[i], "--print") == 0 && i + 1 < argc) print = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--write | --print NAME-PREFIX]\n", argv[0]);
            return 2;
        }
    }
    vx::ScratchDir scratch("vxresultdump");
    std::vector<resultdump::Section> sections = resultdump::ChainSweeps();
    for (auto& s : resultdump::Diagrams(VX_SAMPLE_DATA)) sections.push_back(std::move(s));
    for (auto& s : resultdump::Tables(scratch.Path(), VX_SAMPLE_DATA, 5000, 0, 1)) sections.push_back(std::move(s));

    if (print) {
        for (const auto& s : sections)
            if (s.name.rfind(print, 0) == 0) std::cout << "[" << s.name << "]\n" << s.text;
        return 0;
    }
    if (write) {
        const std::string temp = file + ".new";
        {
            std::ofstream out(temp, std::ios::binary);
            out << resultdump::Render(sections);
            if (!out) return 1;
        }
        std::rename(temp.c_str(), file.c_str());
        std::printf("%zu sections written to %s\n", sections.size(), file.c_str());
        return 0;
    }
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const auto differences = resultdump::Compare(sections, resultdump::Parse(text.str()));
    for (const auto& d : differences) std::printf("%s\n", d.c_str());
    std::printf("%zu sections compared, %zu differ\n", sections.size(), differences.size());
    return differences.empty() ? 0 : 1;
}
