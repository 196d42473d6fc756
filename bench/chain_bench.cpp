// One chain run and the diagram's sweep over heights and round sections:
// the work of one "Mach Et" in the main program.
#include "bench/BenchProfile.h"
#include "testsupport/model/ChainTestEnv.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "platform/Profile.h"
#include "testsupport/SampleChains.h"

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
    UseFreshProfile("vx-chain-bench.ini");
    FillFuelTable(VelmoraFuelRows());
}

// A typical round table, in metres.
const std::vector<double> kRoundTable = {0.08, 0.09, 0.10, 0.11, 0.12, 0.13, 0.14, 0.15, 0.16, 0.18,
                                         0.20, 0.22, 0.25, 0.28, 0.30, 0.35, 0.40, 0.45, 0.50, 0.55, 0.60, 0.70, 0.80, 0.90, 1.00};

void BM_ChainRun(benchmark::State& state) {
    UseOwnProfile();
    auto c = samplechains::OilChain();
    for (auto _ : state) {
        c->Run();
        benchmark::DoNotOptimize(c->head.results[1]->ok);
    }
}
BENCHMARK(BM_ChainRun)->Unit(benchmark::kMicrosecond);

// The same run with nothing remembered from an earlier one.
void BM_ChainRunCold(benchmark::State& state) {
    UseOwnProfile();
    auto c = samplechains::OilChain();
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

// Counts the runs of a sweep and the admissible ones.
SweepCount Sweep(TestChain& c) {
    SweepCount n;
    samplechains::Sweep(c, [&](double, double) {
        ++n.runs;
        const int full = c.head.results[0]->ok;
        const int part = c.head.results.size() > 1 ? c.head.results[1]->ok : 1;
        n.fullLoad += full;
        n.both += full & part;
    });
    return n;
}

// The admissible counts go to the output once per sweep, so that a change of results shows.
void RunSweep(benchmark::State& state, std::unique_ptr<TestChain> (*make)(), const char* label) {
    UseOwnProfile();
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

void BM_DiagramSweep(benchmark::State& state) { RunSweep(state, samplechains::OilChain, "oil, derived part load"); }
BENCHMARK(BM_DiagramSweep)->Unit(benchmark::kMillisecond);

void BM_DiagramSweepPartLoadPasses(benchmark::State& state) {
    RunSweep(state, samplechains::PassingPartLoadChain, "oil, part load of its own");
}
BENCHMARK(BM_DiagramSweepPartLoadPasses)->Unit(benchmark::kMillisecond);

void BM_DiagramSweepOutside(benchmark::State& state) {
    RunSweep(state, samplechains::OutsideChain, "positive pressure, chimney outside");
}
BENCHMARK(BM_DiagramSweepOutside)->Unit(benchmark::kMillisecond);

} // namespace
