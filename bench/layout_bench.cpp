// Placing the objects of a print layout on a page: a layout of n lines and
// rectangles, read once, then one page printed per iteration.
#include "platform/Files.h"
#include "platform/report/ReportJob.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_PlaceLayoutObjects(benchmark::State& state) {
    vx::ScratchDir dir;
    const std::string file = dir.File("Viele.LST");
    vx::WriteFileAtomic(file, vx::report::testing::ManyObjectsLayout(int(state.range(0))));
    std::unique_ptr<vx::report::ReportJob> job;
    for (auto _ : state) {
        // A fresh job per page: reading the file and freeing the page are not placing.
        state.PauseTiming();
        job = std::make_unique<vx::report::ReportJob>();
        job->SetExport("PDF", dir.File("viele.pdf"), "");
        if (job->PrintStart(file, vx::report::Destination::Export) != vx::report::kOk) {
            state.SkipWithError(job->LastError().c_str());
            break;
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(job->Print());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PlaceLayoutObjects)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace
