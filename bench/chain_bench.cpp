// One chain run and the diagram's sweep over heights and round sections:
// the work of one "Mach Et" in the main program.
#include "model/ChainTestEnv.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "platform/Profile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

// A profile of the benchmark's own, so that no user settings take part.
void UseOwnProfile() {
    static bool done = false;
    if (done) return;
    done = true;
    const auto path = std::filesystem::temp_directory_path() / "vx-chain-bench.ini";
    std::filesystem::remove(path);
    vx::Profile().Select(vx::ProfileStore::IniBesideProgram, "Velmora");
    vx::Profile().UseFile(path.string());
    FillFuelTable(VelmoraFuelRows());
}

// A typical round table, in metres.
const std::vector<double> kRoundTable = {0.08, 0.09, 0.10, 0.11, 0.12, 0.13, 0.14, 0.15, 0.16, 0.18,
                                         0.20, 0.22, 0.25, 0.28, 0.30, 0.35, 0.40, 0.45, 0.50};

std::unique_ptr<TestChain> OilChain() {
    UseOwnProfile();
    auto c = std::make_unique<TestChain>();
    c->Link();
    c->generator.partLoadAvailable.value = 1;
    c->generator.LoadDefault(c->generator.outputPart);
    return c;
}

void BM_ChainRun(benchmark::State& state) {
    auto c = OilChain();
    for (auto _ : state) {
        c->Run();
        benchmark::DoNotOptimize(c->head.results[1]->ok);
    }
}
BENCHMARK(BM_ChainRun)->Unit(benchmark::kMicrosecond);

void BM_DiagramSweep(benchmark::State& state) {
    auto c = OilChain();
    SharedCrossSectionTables().round = kRoundTable;
    int admissible = 0;
    for (auto _ : state) {
        admissible = 0;
        for (double h = 4.0; h <= 30.0; h += 2.0) {
            c->chimney.length.value = c->chimney.height.value = h;
            double d = 0, b = 0, a = 0;
            for (;;) {
                const double previous = d;
                CRohr::NextCrossSection(0, 0, d, b, a);
                if (d == previous) break;
                c->chimney.diameter.value = d;
                c->chimney.ComputeGeometry();
                c->Run();
                admissible += c->head.results[0]->ok & c->head.results[1]->ok;
            }
        }
        benchmark::DoNotOptimize(admissible);
    }
    state.counters["runs"] = double(kRoundTable.size() * 14);
    state.counters["admissible"] = admissible;
}
BENCHMARK(BM_DiagramSweep)->Unit(benchmark::kMillisecond);

} // namespace
