// Number text is on the hot path of every result line and every catalogue line.
#include "platform/NumText.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

static void BM_FormatFixed(benchmark::State& state) {
    double v = 12.345678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vx::Format("%.2f", v));
        v += 0.001;
    }
}
BENCHMARK(BM_FormatFixed);

static void BM_SnprintfFixed(benchmark::State& state) {
    double v = 12.345678;
    char buf[64];
    for (auto _ : state) {
        std::snprintf(buf, sizeof buf, "%.2f", v);
        benchmark::DoNotOptimize(buf);
        v += 0.001;
    }
}
BENCHMARK(BM_SnprintfFixed);

static void BM_ParseDouble(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(vx::ParseDouble("  1234.5678e-2"));
}
BENCHMARK(BM_ParseDouble);

static void BM_Atof(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(std::atof("  1234.5678e-2"));
}
BENCHMARK(BM_Atof);
