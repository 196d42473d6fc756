// One chain run and the diagram's sweep over heights and round sections:
// the work of one "Mach Et" in the main program.
#include "model/ChainTestEnv.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "platform/Profile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
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
                                         0.20, 0.22, 0.25, 0.28, 0.30, 0.35, 0.40, 0.45, 0.50, 0.55, 0.60, 0.70, 0.80, 0.90, 1.00};

// Oil boiler 20 kW whose part load is derived from full load: its part-load
// gas temperature of 107 °C fails the temperature criterion at every size.
std::unique_ptr<TestChain> OilChain() {
    UseOwnProfile();
    auto c = std::make_unique<TestChain>();
    c->Link();
    c->generator.partLoadAvailable.value = 1;
    c->generator.LoadDefault(c->generator.outputPart);
    return c;
}

// Oil boiler 20 kW at 200 °C with a part load of its own (12 kW at 180 °C),
// which passes on part of the band, so that both loads decide it.
std::unique_ptr<TestChain> PassingPartLoadChain() {
    auto c = OilChain();
    CWaerme& g = c->generator;
    g.gasTemperature.value = 200;
    g.outputPart.value = 12;
    g.outputPart.marker = 0;
    g.gasTemperaturePart.value = 180;
    g.gasTemperaturePart.marker = 0;
    g.RecalcDependents();
    return c;
}

// System 20: a chimney of its whole length outside under positive pressure,
// oil boiler 15 kW at 200 °C, full load only.
std::unique_ptr<TestChain> OutsideChain() {
    UseOwnProfile();
    auto c = std::make_unique<TestChain>();
    c->arrangement.regime.value = 2;
    c->arrangement.kind.value = 3;
    c->generator.output.value = 15;
    c->generator.gasTemperature.value = 200;
    c->generator.positivePressure.value = 50;
    c->chimney.roughness.value = 0.001;
    c->chimney.wallResistance.value = 0.4;
    c->chimney.resistanceGroup.value = 1;
    c->chimney.wallThickness.value = 0.03;
    c->chimney.shareOutside.value = 100;
    c->Link();
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

// The same run with nothing remembered from an earlier one.
void BM_ChainRunCold(benchmark::State& state) {
    auto c = OilChain();
    for (auto _ : state) {
        CStoff::ForgetRememberedResults();
        c->Run();
        benchmark::DoNotOptimize(c->head.results[1]->ok);
    }
}
BENCHMARK(BM_ChainRunCold)->Unit(benchmark::kMicrosecond);

struct SweepCount {
    int runs = 0, fullLoad = 0, both = 0;
};

// Heights 4 to 30 m in steps of 2 m over the whole round table, as the diagram sweeps them.
SweepCount Sweep(TestChain& c) {
    SweepCount n;
    for (double h = 4.0; h <= 30.0; h += 2.0) {
        c.chimney.length.value = c.chimney.height.value = h;
        double d = 0, b = 0, a = 0;
        for (;;) {
            const double previous = d;
            CRohr::NextCrossSection(0, 0, d, b, a);
            if (d == previous) break;
            c.chimney.diameter.value = d;
            c.chimney.ComputeGeometry();
            c.Run();
            ++n.runs;
            const int full = c.head.results[0]->ok;
            const int part = c.head.results.size() > 1 ? c.head.results[1]->ok : 1;
            n.fullLoad += full;
            n.both += full & part;
        }
    }
    return n;
}

// The admissible counts go to the output once per sweep, so that a change of results shows.
void RunSweep(benchmark::State& state, std::unique_ptr<TestChain> (*make)(), const char* label) {
    auto c = make();
    SharedCrossSectionTables().round = kRoundTable;
    SweepCount n;
    for (auto _ : state) {
        n = Sweep(*c);
        benchmark::DoNotOptimize(n.both);
    }
    state.counters["runs"] = n.runs;
    state.counters["admissible_full"] = n.fullLoad;
    state.counters["admissible"] = n.both;
    static std::vector<std::string> printed;
    if (std::find(printed.begin(), printed.end(), label) == printed.end()) {
        printed.push_back(label);
        std::printf("%s: %d runs, %d admissible at full load, %d admissible at both loads\n", label, n.runs,
                    n.fullLoad, n.both);
    }
}

void BM_DiagramSweep(benchmark::State& state) { RunSweep(state, OilChain, "oil, derived part load"); }
BENCHMARK(BM_DiagramSweep)->Unit(benchmark::kMillisecond);

void BM_DiagramSweepPartLoadPasses(benchmark::State& state) {
    RunSweep(state, PassingPartLoadChain, "oil, part load of its own");
}
BENCHMARK(BM_DiagramSweepPartLoadPasses)->Unit(benchmark::kMillisecond);

void BM_DiagramSweepOutside(benchmark::State& state) {
    RunSweep(state, OutsideChain, "positive pressure, chimney outside");
}
BENCHMARK(BM_DiagramSweepOutside)->Unit(benchmark::kMillisecond);

} // namespace
