// The diagram of one "Mach Et": the default sweep over heights 4 to 30 m
// and the round cross-section table of the sample data, for three sample
// heat generators of the catalogue.
#include "bench/BenchProfile.h"
#include "model/CrossSectionTables.h"
#include "model/CStoff.h"
#include "model/FuelTable.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "velmora/CVelmoraDocCore.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CWrzKatalogWaerme.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

const std::string kData = VX_SAMPLE_DATA;

void UseOwnProfile() {
    static bool done = false;
    if (done) return;
    done = true;
    UseFreshProfile("vx-diagram-bench.ini");
    vx::Profile().WriteString("Datenbank", "Pfad", kData);
    vx::Profile().WriteString("Global", "Hinweis", "1");
    static vx::ScriptedMessageService quiet;
    vx::SetMessageService(&quiet);
    FillFuelTable(VelmoraFuelRows());
    LoadProgramStrings();
    LoadCrossSectionTables();
}

std::unique_ptr<CVelmoraDocCore> Document(int fuelPosition, const std::string& type) {
    UseOwnProfile();
    auto doc = std::make_unique<CVelmoraDocCore>();
    doc->ResetDocument();
    CWrzKatalog katalog(kData);
    for (const WrzManufacturer& m : katalog.ReadManufacturers(fuelPosition))
        for (const WrzType& t : katalog.ReadTypes(m.offset))
            if (t.typeDesignation == type) {
                int64_t at = t.offset;
                LoadHeatGenerator(katalog, doc->heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed);
            }
    int system = 1;
    doc->NewSystemType(system, 0, 0);
    return doc;
}

void BM_Diagram(benchmark::State& state, int fuelPosition, const char* type) {
    auto doc = Document(fuelPosition, type);
    for (auto _ : state) {
        doc->OnCalculate();
        benchmark::DoNotOptimize(doc->points.data());
    }
    state.counters["points"] = double(doc->points.size());
    state.counters["runs"] = double(doc->results.size());
}
BENCHMARK_CAPTURE(BM_Diagram, OilFullLoad, 1, "Oleomat 22")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Diagram, OilPartLoad, 1, "Oleomat 45-2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Diagram, GasPartLoad, 2, "Unitherm Gas 90-2")->Unit(benchmark::kMillisecond);

// The first diagram: nothing remembered from an earlier computation.
void BM_DiagramCold(benchmark::State& state, int fuelPosition, const char* type) {
    auto doc = Document(fuelPosition, type);
    for (auto _ : state) {
        CStoff::ForgetRememberedResults();
        doc->OnCalculate();
        benchmark::DoNotOptimize(doc->points.data());
    }
}
BENCHMARK_CAPTURE(BM_DiagramCold, OilFullLoad, 1, "Oleomat 22")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DiagramCold, OilPartLoad, 1, "Oleomat 45-2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DiagramCold, GasPartLoad, 2, "Unitherm Gas 90-2")->Unit(benchmark::kMillisecond);

} // namespace
