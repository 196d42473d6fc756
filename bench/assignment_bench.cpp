// The assignment table over the synthetic catalogue of 5,000 heat
// generators: every manufacturer of every fuel, for three chimney systems,
// searching the cross-section table and with a given size.
#include "model/CrossSectionTables.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "testsupport/ScratchDir.h"
#include "testsupport/SyntheticCatalogue.h"
#include "values/CWerte.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Open fireplaces are computed closed: nobody answers.
class AnswerNo : public vx::MessageService {
public:
    int Show(const std::string&, const std::string& text, unsigned flags) override {
        if (std::getenv("VX_BENCH_SHOW")) std::fprintf(stderr, "%s\n", text.c_str());
        return (flags & vx::MB_TYPEMASK) == vx::MB_YESNO ? vx::IDNO : vx::IDOK;
    }
    void Beep(unsigned) override {}
};

struct Surroundings {
    Surroundings() {
        if (dir.empty() || !catalogue::WriteCatalogue(dir, catalogue::MakeSyntheticEntries(5000, 42)))
            std::fprintf(stderr, "assignment_bench: cannot write the catalogue\n");
        std::filesystem::copy_file(std::filesystem::path(VX_SAMPLE_DATA) / "INNENTAB.INI",
                                   std::filesystem::path(dir) / "INNENTAB.INI");
        vx::Profile().Select(vx::ProfileStore::IniBesideProgram, "Tarsilo");
        vx::Profile().UseFile(vx::JoinPath(dir, "profile.ini"));
        vx::Profile().WriteString("Datenbank", "Pfad", dir);
        vx::SetMessageService(&messages);
        UseTarsiloModel();
        LoadCrossSectionTables();
    }
    vx::ScratchDir scratch{"vxassignbench"};
    std::string dir = scratch.Path();
    AnswerNo messages;
};

const Surroundings& Env() {
    static const Surroundings env;
    return env;
}

// The whole table: every fuel-list position with all its manufacturers.
CTarsiloDocCore::RunCounts ComputeAll(CTarsiloDocCore& doc, size_t& rows) {
    CTarsiloDocCore::RunCounts total;
    rows = 0;
    for (int position = 0; position < CWrzKatalog::kFuelPositions; ++position) {
        doc.fuelIndex = position;
        doc.manufacturers.clear();
        for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(position))
            doc.manufacturers.push_back({m.name, m.offset, true});
        doc.ComputeAssignmentTable();
        total.heatGenerators += doc.counts.heatGenerators;
        total.chainRuns += doc.counts.chainRuns;
        total.partLoadPasses += doc.counts.partLoadPasses;
        rows += doc.rows.size();
    }
    return total;
}

// The undo size of the profile while a benchmark runs.
class UndoSizeScope {
public:
    explicit UndoSizeScope(const char* n) { Set(n); }
    ~UndoSizeScope() { Set("0"); }

private:
    static void Set(const char* n) {
        vx::Profile().WriteString("Global", "UndoSize", n);
        CWerte::ForgetUndoSize();
    }
};

void BM_AssignmentTable(benchmark::State& state) {
    Env();
    const UndoSizeScope undo(state.range(2) ? "50" : "0");
    const int system = int(state.range(0));
    const double size = state.range(1) / 1000.0;
    CTarsiloDocCore doc;
    doc.shape = 0;
    doc.system = system;
    doc.ApplySystem();
    doc.effectiveHeight.value = 8;
    doc.sectionSize.value = size;
    CTarsiloDocCore::RunCounts counts;
    size_t rows = 0;
    for (auto _ : state) counts = ComputeAll(doc, rows);
    state.counters["heat_generators"] = double(counts.heatGenerators);
    state.counters["runs_per_generator"] =
        counts.heatGenerators ? double(counts.chainRuns) / double(counts.heatGenerators) : 0.0;
    state.counters["part_load_per_generator"] =
        counts.heatGenerators ? double(counts.partLoadPasses) / double(counts.heatGenerators) : 0.0;
    state.counters["rows"] = double(rows);
}
// Systems 1 (dry, negative pressure), 7 and 19, 20 (positive pressure); size 0
// searches; the third argument 1 keeps 50 undo texts per value cell.
BENCHMARK(BM_AssignmentTable)
    ->Args({1, 0, 0})->Args({7, 0, 0})->Args({19, 0, 0})->Args({20, 0, 0})
    ->Args({1, 150, 0})->Args({7, 150, 0})->Args({19, 150, 0})->Args({20, 150, 0})
    ->Args({1, 0, 1})->Args({1, 150, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);

} // namespace
