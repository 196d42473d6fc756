// The catalogue reader on a 5000-entry synthetic catalogue: the road of a
// choice (manufacturers, types, one line) and the second program's walk
// through every heat generator of every manufacturer.
#include "testsupport/ScratchDir.h"
#include "testsupport/SyntheticCatalogue.h"

#include "platform/Files.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>

namespace {

// The catalogue is written once per run and removed at exit.
struct TempCatalogue {
    TempCatalogue() {
        if (dir.empty() || !catalogue::WriteCatalogue(dir, catalogue::MakeSyntheticEntries(5000, 42)))
            std::fprintf(stderr, "catalogue_bench: cannot write the catalogue\n");
    }
    vx::ScratchDir scratch{"vxcatbench"};
    std::string dir = scratch.Path();
};

const std::string& CatalogueDir() {
    static const TempCatalogue catalogue;
    return catalogue.dir;
}

CWrzKatalog Quiet() {
    CWrzKatalog k(CatalogueDir());
    k.SetReportProblems(false);
    return k;
}

void BM_ReadManufacturersAllFuels(benchmark::State& state) {
    CWrzKatalog k = Quiet();
    for (auto _ : state)
        for (int p = 0; p < CWrzKatalog::kFuelPositions; ++p) benchmark::DoNotOptimize(k.ReadManufacturers(p));
}
BENCHMARK(BM_ReadManufacturersAllFuels);

void BM_ReadTypesOfEveryManufacturer(benchmark::State& state) {
    CWrzKatalog k = Quiet();
    std::vector<int64_t> offsets;
    for (int p = 0; p < CWrzKatalog::kFuelPositions; ++p)
        for (const WrzManufacturer& m : k.ReadManufacturers(p)) offsets.push_back(m.offset);
    size_t types = 0;
    for (auto _ : state)
        for (int64_t off : offsets) types += k.ReadTypes(off).size();
    state.counters["groups"] = double(offsets.size());
    state.SetItemsProcessed(int64_t(types));
}
BENCHMARK(BM_ReadTypesOfEveryManufacturer)->Unit(benchmark::kMillisecond);

// The type list draws each item from its own line, nothing cached.
void BM_LoadOneEntry(benchmark::State& state) {
    CWrzKatalog k = Quiet();
    std::vector<WrzType> types = k.ReadTypes(k.ReadManufacturers(11).front().offset);
    WrzEntry e;
    size_t i = 0;
    for (auto _ : state) {
        int64_t off = types[i++ % types.size()].offset;
        benchmark::DoNotOptimize(k.LoadEntry(e, off, {}, CWrzKatalog::OpenOperation::Closed));
    }
}
BENCHMARK(BM_LoadOneEntry);

// Every line read one call at a time, each call opening the file again (the
// assignment computation reads through one WrzLineReader instead).
void BM_LoadAllEntriesSequentially(benchmark::State& state) {
    CWrzKatalog k = Quiet();
    std::vector<WrzManufacturer> makers;
    for (int p = 0; p < CWrzKatalog::kFuelPositions; ++p)
        for (WrzManufacturer& m : k.ReadManufacturers(p)) makers.push_back(std::move(m));
    size_t loaded = 0;
    for (auto _ : state) {
        for (const WrzManufacturer& m : makers) {
            int64_t off = m.offset;
            WrzEntry e;
            while (k.LoadEntry(e, off, m.name, CWrzKatalog::OpenOperation::Closed) != CWrzKatalog::kNotLoaded)
                ++loaded;
        }
    }
    state.SetItemsProcessed(int64_t(loaded));
}
BENCHMARK(BM_LoadAllEntriesSequentially)->Unit(benchmark::kMillisecond);

} // namespace
